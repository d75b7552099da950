#pragma once
// The report on the printer: the one part of the report that needs Qt.
#include "model/result.h"

#include <string>
#include <vector>

class QPrinter;

namespace corvane {

// Prints lines in a fixed-pitch font, top to bottom, starting new pages as
// needed; the job starts and ends here. A failure's message is the reason.
Status printTextLines(QPrinter& printer, const std::vector<std::string>& lines);

}  // namespace corvane
