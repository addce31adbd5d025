// Whole-file reading and writing for every loader and saver. Writers never lose the
// user's old file: they write a temporary file beside it and rename it over the target.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace rm {

// Largest input file read in one piece (1 GiB).
constexpr std::size_t kMaxInputFileSize = std::size_t(1) << 30;

// Reads a whole file. False (and `error` set) when it cannot be opened or read, or is
// larger than kMaxInputFileSize.
bool ReadFileBytes(const std::string& path, std::string& out, std::string* error = nullptr);

// Writes `data` to a temporary file beside `path`, flushes and closes it, checking every
// step, then renames it over `path`. On any failure the temporary file is removed, an
// existing `path` is left untouched, and the result is false.
bool WriteFileAtomically(const std::string& path, std::string_view data,
                         std::string* error = nullptr);

}  // namespace rm
