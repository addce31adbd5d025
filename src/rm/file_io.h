// Whole-file reading and writing for every loader and saver. Writers never lose the
// user's old file: they write a temporary file beside it and rename it over the target.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/big_buffer.h"

namespace rm {

// Largest input file read in one piece (1 GiB).
constexpr std::size_t kMaxInputFileSize = std::size_t(1) << 30;

// Reads a whole file. False (and `error` set) when it cannot be opened or read, or is
// larger than kMaxInputFileSize.
bool ReadFileBytes(const std::string& path, std::string& out, std::string* error = nullptr);

// How a regular file comes into a FileBytes: mapped (nothing copied, and the pages a reader
// is done with can be given back), or read into a buffer of the program's own. Walking a
// mapped file costs a miss of the address cache every 4 KiB page of the system's file
// cache, which on some machines (virtual ones) costs more than copying the file into the
// buffer's big pages: a reader that walks a big file once, front to back, and holds little
// else, reads it buffered.
enum class FileRead { Mapped, Buffered };

// A whole file's bytes for a reader, read-only, without copying them when that can be
// helped: a regular file is mapped into memory (its pages are the system's file cache);
// anything else is read into a buffer. The bytes are those of the file when it was
// opened: a file that grows meanwhile is read as far as its size then. (A mapped file
// that another program cuts short while it is read ends the program, as with every
// mapped file; the reader only ever reads the bytes it was given.)
class FileBytes {
  public:
    FileBytes() = default;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;
    ~FileBytes() { Release(); }

    std::string_view View() const {
        return mapped_ ? std::string_view(static_cast<const char*>(mapped_), mappedSize_)
                       : std::string_view(buffer_.Data(), buffer_.Size());
    }

    // For a reader that walks the bytes front to back: the mapped file's whole pages before
    // `offset` are given back to the system, so that they stop counting in the program's
    // memory. The bytes stay readable (they come back from the file when they are read
    // again). Bytes read into a buffer stay as they are.
    void ReleaseBefore(std::size_t offset);

  private:
    friend bool ReadFileBytes(const std::string& path, FileBytes& out, std::string* error,
                              FileRead how);
    void Release();

    void* mapped_ = nullptr;
    std::size_t mappedSize_ = 0;
    std::size_t released_ = 0;  // bytes from the start given back
    base::BigBuffer<char> buffer_;
};
// False (and `error` set) as the other ReadFileBytes.
bool ReadFileBytes(const std::string& path, FileBytes& out, std::string* error = nullptr,
                   FileRead how = FileRead::Mapped);

// Writes `data` to a temporary file beside `path`, flushes and closes it, checking every
// step, then renames it over `path`. On any failure the temporary file is removed, an
// existing `path` is left untouched, and the result is false.
bool WriteFileAtomically(const std::string& path, std::string_view data,
                         std::string* error = nullptr);

// Whether a written file is flushed to the disk (fsync) before it is renamed over its
// target. On by default: the modeller's Save replaces the user's only copy of the work,
// and a crash soon after must not leave an empty file in its place. The converter turns it
// off, as copying and compiling tools do: its inputs stay where they are and its outputs
// can be made again, while flushing a file of a million faces costs a good part of the
// conversion. Either way no program ever sees a half-written file under the target's name.
void SetWritesSynced(bool synced);

// One file of several written together.
struct FileToWrite {
    std::string path;
    std::string_view data;
    // Written after `data`, in order: a big file need not be copied into one string.
    std::vector<std::string_view> more = {};
};
// Writes every file to a temporary file beside its target first; only when all of them are
// written are they renamed over their targets, in order. On a failure before the renames
// no target is touched and every temporary file is removed.
bool WriteFilesAtomically(const std::vector<FileToWrite>& files, std::string* error = nullptr);

}  // namespace rm
