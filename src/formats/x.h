// DirectX .x files, through the mesh builder's loader and saver.
#pragma once

#include <string>
#include <string_view>

#include "formats/read_result.h"
#include "model/face_table.h"
#include "model/model_host.h"

namespace formats {
// Loads the file into a new mesh builder and merges it into host.m_pMesh: 1 on success,
// 0 on failure (nothing added; `result` says why).
int ReadX(const std::string& path, model::ModelHost& host, ReadResult* result = nullptr);
// Saves host.m_pMesh as a text .x file with normals, texture coordinates, materials and
// texture names: 1 on success, 0 on failure (an existing file is left untouched).
int WriteX(const std::string& path, model::ModelHost& host, std::string* error = nullptr);
}  // namespace formats
