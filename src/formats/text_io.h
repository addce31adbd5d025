// File and number helpers for readers and writers. Numbers are read and written the same
// under every locale; writers replace their target only once everything is written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "base/numbers.h"
#include "rm/file_io.h"

namespace formats {

// The file functions live in the mesh layer (the .x loader and saver use them too).
using rm::kMaxInputFileSize;
using rm::ReadFileBytes;
using rm::WriteFileAtomically;

// A writer's file entry point: `format` builds the file's bytes, WriteFileAtomically puts
// them in place. 1 on success; 0 on any failure, running out of memory included.
template <typename Format>
int WriteFormatted(const std::string& path, std::string* error, Format&& format) {
    try {
        return WriteFileAtomically(path, format(), error) ? 1 : 0;
    } catch (const std::bad_alloc&) {
        if (error) *error = "out of memory";
        return 0;
    }
}

// Numbers are read and written by the one number layer.
using base::AppendFixed;
using base::AppendInt;
using base::AppendLE16;
using base::AppendLE32;
using base::AppendLEFloat;
using base::AppendShortest;
using base::ScanDouble;
using base::ScanFloat;
using base::ScanInt;
using base::SkipSpace;

// Appends the text, turning every "\n" into "\r\n" (the line ends of a text-mode file on
// the platform the formats come from).
void AppendCrlf(std::string& out, std::string_view text);

// Reads a whitespace-delimited word ("%s"); false at the end of the text.
bool ScanWord(std::string_view& s, std::string_view& word);
// Consumes `literal` at the front of `s` (after white space when the literal starts with
// a blank, as scanf does); false when it is not there.
bool ScanLiteral(std::string_view& s, std::string_view literal);

// ASCII lower case.
std::string ToLower(std::string_view s);
// Extension after the last '.' of the file name (without the dot), lower-cased; empty
// when there is none.
std::string FileExtension(std::string_view path);
// File name without folder and extension.
std::string FileTitle(std::string_view path);

// Splits text into lines: reading stops at each '\n', a '\r' before it is dropped.
class LineReader {
  public:
    explicit LineReader(std::string_view text) : text_(text) {}
    bool Next(std::string_view& line);
    std::size_t Offset() const { return pos_; }
    void Seek(std::size_t pos) { pos_ = pos; }
    bool AtEnd() const { return pos_ >= text_.size(); }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace formats
