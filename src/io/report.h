#pragma once
// The plain-text listing of the model: header, bodies with their corners and
// the station table. Each destination has its own fixed layout; the layouts
// are pure functions of the model, and the writers below only move the text.
#include "model/model.h"
#include "model/result.h"

#include <string>
#include <vector>

namespace corvane {

// The section that follows the listing when the model uses magnetics or
// station heights: the Earth's field, each body's magnetisation and hidden
// flag, the magnetic stations and the gravity stations' heights. Empty for a
// model that uses neither, whose report is then the listing alone.
std::vector<std::string> reportExtraLines(const Model& m);

// A body's density law in words, without commas ("linear gradient 0.02 per
// km from depth 0 km"); empty for the constant law. The report gives it a
// line after the strike lengths, corvane-calc puts it in the body's column.
std::string densityLawText(const Tbody& body, bool unitsKm);
std::string densityLawLine(const Tbody& body, bool unitsKm);

// The text-file layout, every line ended by CR LF.
std::string reportForFile(const Model& m);

// The clipboard layout, every line ended by LF.
std::string reportForClipboard(const Model& m);

// The printer layout, one entry per printed line (no line ends).
std::vector<std::string> reportForPrinter(const Model& m);

// Writes the text-file layout to path (safely: the old file survives a failed
// write). A failure's message is the reason.
Status writeReportFile(const Model& m, const std::string& path);

}  // namespace corvane
