// Wavefront OBJ files, with their materials (read from the libraries a file names, written
// in NAME.mtl).
#pragma once

#include <string>
#include <string_view>

#include "formats/read_result.h"
#include "model/face_table.h"
#include "model/model_host.h"

namespace formats {
// Adds the file's faces to host.m_pMesh: 1 on success, 0 on failure (nothing added;
// `result` says why).
int ReadObj(const std::string& path, model::ModelHost& host, ReadResult* result = nullptr);
// `folder` ("" or ending in '/') is where the file's material libraries and textures are
// looked for.
int ReadObjText(std::string_view data, model::ModelHost& host, ReadResult* result = nullptr,
                const std::string& folder = {});

// Writes NAME.obj and NAME.mtl (see obj_write.cpp).
struct WriteRequest;
int SaveObj(const WriteRequest& request, std::string* error);

}  // namespace formats
