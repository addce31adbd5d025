// LightWave objects (.lwo): the LWOB layout, and LWO2 and LWO3 (formats/lwo2.h) for reading.
#pragma once

#include <string>
#include <string_view>

#include "formats/read_result.h"
#include "model/face_table.h"
#include "model/model_host.h"

namespace formats {
// Adds the file's faces to host.m_pMesh: 1 on success, 0 on failure (nothing added;
// `result` says why).
int ReadLwo(const std::string& path, model::ModelHost& host, ReadResult* result = nullptr);
// Same, from bytes in memory; `path`, when given, is where they came from (images named by
// the file are looked for beside it).
int ReadLwoBytes(std::string_view data, model::ModelHost& host, ReadResult* result = nullptr,
                 const std::string& path = {});

// Writes the table: 1 on success, 0 on failure (an existing file is left untouched).
int WriteLwo(const std::string& path, const model::FaceTable& table, std::string* error = nullptr);
// The file's bytes; false when the table cannot be written in this format.
bool FormatLwo(const model::FaceTable& table, std::string& out, std::string* error = nullptr);
}  // namespace formats
