// Metasequoia documents (.mqo).
#pragma once

#include <string>

#include "formats/read_result.h"
#include "model/face_table.h"
#include "model/model_host.h"

namespace formats {

// Adds the document's polygons to host.m_pMesh: 1 on success, 0 on failure (nothing
// added; `result` says why).
int ReadMqo(const std::string& path, model::ModelHost& host, ReadResult* result = nullptr);
// Same, from a document already in memory; `path`, when given, is where it came from (its
// textures are looked for beside it).
int ReadMqoText(std::string_view text, model::ModelHost& host, ReadResult* result = nullptr,
                const std::string& path = {});

// Writes the table as a version 1.0 document: 1 on success, 0 on failure (an existing
// file is left untouched).
int WriteMqo(const std::string& path, const model::FaceTable& table, std::string* error = nullptr);
// The document's bytes.
std::string FormatMqo(const model::FaceTable& table);

}  // namespace formats
