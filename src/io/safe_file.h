#pragma once
// Whole-file reading and writing for everything the program saves or reads.
// Writing goes to a temporary file beside the target which replaces the
// target only once every byte is on disk, so a failed save never damages the
// file the user already has.
#include "model/result.h"
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvane {

// Writes bytes to path. A failure's message is a sentence naming the file
// and what went wrong; the old file (if any) is then
// untouched and no temporary file is left behind. A symbolic link is followed:
// the file it points to is replaced (or made), the link stays. A file without
// write permission is refused, not replaced, and so is a loop of links.
// Temporaries that a process which no longer runs left in the target's
// folder (a crash mid-save) are removed first.
Status writeFileSafely(const std::string& path, std::string_view bytes);

// Writes several files (path, bytes) as one: either every file gets its new
// contents or, on any failure, none is changed. Fails as writeFileSafely.
Status writeFilesSafely(const std::vector<std::pair<std::string, std::string_view>>& files);

// Removes from folder the temporaries of writeFileSafely whose process no
// longer runs; other files are never touched. Returns how many went.
int removeStaleTemporaries(const std::string& folder);

// The whole of path, or a sentence naming the file and what went wrong.
// Files larger than maxBytes are refused rather than read.
Result<std::string> readWholeFile(const std::string& path, std::size_t maxBytes = std::size_t{64} << 20);

}  // namespace corvane
