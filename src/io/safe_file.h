#pragma once
// Whole-file reading and writing for everything the program saves or reads.
// Writing goes to a temporary file beside the target which replaces the
// target only once every byte is on disk, so a failed save never damages the
// file the user already has.
#include <cstddef>
#include <string>
#include <string_view>

namespace corvane {

// Writes bytes to path. Returns an empty string on success, otherwise a
// sentence naming the file and what went wrong; the old file (if any) is then
// untouched and no temporary file is left behind. A symbolic link is followed:
// the file it points to is replaced, the link stays.
std::string writeFileSafely(const std::string& path, std::string_view bytes);

// Reads the whole of path into bytes. Returns an empty string on success,
// otherwise a sentence naming the file and what went wrong (bytes is then
// empty). Files larger than maxBytes are refused rather than read.
std::string readWholeFile(const std::string& path, std::string& bytes,
                          std::size_t maxBytes = std::size_t{64} << 20);

}  // namespace corvane
