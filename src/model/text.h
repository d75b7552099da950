#pragma once
// Number formatting and parsing shared by dialogs, the status panel and the
// text outputs.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// x written x:w:d: fixed point with d decimals, right-aligned in at least w
// characters (wider when needed).
std::string fixed(double x, int w, int d);

// The number as the model file writes it: the shortest text that reads back
// as exactly v.
std::string itemNumber(double v);

// A whole number right-aligned in at least w characters.
std::string integer(long long v, int w = 0);

// Round to the nearest integer, halves to even (the processor's default).
long long roundHalfEven(double x);

// The number typed into a box: surrounding blanks allowed; anything else that
// is not a complete finite decimal number gives nothing.
std::optional<double> parseNumber(std::string_view text);

// Splits a line into fields at runs of blanks (and tabs).
std::vector<std::string> splitFields(std::string_view line);

}  // namespace corvane
