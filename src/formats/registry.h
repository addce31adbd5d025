// Which reader opens and which writer saves a file, by extension (case-insensitive).
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "formats/read_result.h"
#include "model/face_table.h"
#include "model/model_host.h"

namespace formats {

// Adds the file's faces to host.m_pMesh. 1 on success; 0 on failure, with nothing added
// and `result` saying why (its kind, the reader's own message, the detail).
using ReadFn = int (*)(const std::string& path, model::ModelHost& host, ReadResult* result);

struct WriteRequest {
    const std::string& path;
    const std::string& title;  // file name without folder and extension (DSM)
    model::ModelHost& host;    // the mesh (.x)
    const model::FaceTable& table;
};
// Writes the file. 1 on success; 0 on failure, with an existing file left untouched.
using WriteFn = int (*)(const WriteRequest& request, std::string* error);

struct ReaderEntry {
    std::string_view extension;
    ReadFn read;
};
struct WriterEntry {
    std::string_view extension;
    WriteFn write;
};

std::span<const ReaderEntry> Readers();
std::span<const WriterEntry> Writers();
// Runs a reader and says what happened. A reader's own message box text ("failure on
// addfaces") comes back in `message`, to be shown once by the caller.
ReadResult RunReader(const ReaderEntry& reader, const std::string& path, model::ModelHost& host);

// Null when no reader / writer takes the extension of `path`.
const ReaderEntry* FindReader(std::string_view path);
const WriterEntry* FindWriter(std::string_view path);

}  // namespace formats
