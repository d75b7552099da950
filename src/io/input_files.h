#pragma once
// The files that add to the current model: models of the sibling magnetic
// program Sidero, hand-typed body files (.bod) and borehole logs (.hol).
// Each reader checks the whole file first; on any problem it returns the
// message to show and leaves the model exactly as it was.
#include "io/text_lines.h"
#include "model/result.h"
#include "model/workspace.h"

#include <string>
#include <string_view>
#include <vector>

namespace corvane {

inline const char* const InaccessibleText = "That file is inaccessible.";
inline const char* const InvalidBodiesText = "Invalid no. of bodies in file.";
inline const char* const InvalidCornersText = "Invalid no. of corners in body.";
inline const char* const TooManyBoreholesText =
    "The model already holds three boreholes; no more can be added.";

// Reads the next line of a body file and returns its fields found from column
// 16 on (at most three, each cut to 15 characters, separated as text_lines.h
// describes; only the first 80 characters of a line count). False at the end
// of the text.
bool ReadValueLine(LineReader& lines, std::vector<std::string>& fields,
                   Commas commas = Commas::Separate);

// Appends the bodies of a Sidero model file (bytes) after the model's own,
// converted to the model's unit, as many as the 51 body slots allow, and takes
// its displayed depth range. fileName only names the file in messages.
Status importSideroModel(Workspace& ws, std::string_view bytes, const std::string& fileName);

// Appends the bodies of a body file (its bytes, decoded by decodeText), with
// strike lengths 100 and 100.
Status readBodyFile(Workspace& ws, std::string_view bytes, const std::string& fileName);

// Fills the next borehole slot from a borehole file (its bytes). Rows beyond
// 50 and labels beyond 10 are ignored; a label that names no data row is
// dropped; a file without data rows is refused. Lines skipped (NUL bytes,
// numbers that cannot be held) are said in *note.
Status readBoreholeFile(Workspace& ws, std::string_view bytes, const std::string& fileName,
                        std::string* note = nullptr);

// The same three, reading the file at path first. A file that cannot be read
// gives "That file is inaccessible." for the import and a message naming the
// file for the others.
Status importSideroFile(Workspace& ws, const std::string& path);
Status readBodyFileAt(Workspace& ws, const std::string& path);
Status readBoreholeFileAt(Workspace& ws, const std::string& path, std::string* note = nullptr);

}  // namespace corvane
