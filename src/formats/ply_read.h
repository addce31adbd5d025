// Reading PLY files: text and binary in both byte orders; the vertex element's position,
// colour and texture coordinates, the face element's corner lists (and colours), every
// other element and property skipped.
#pragma once

#include <string>
#include <string_view>

#include "formats/read_result.h"
#include "model/model_host.h"

namespace formats {

// Adds the file's faces to host.m_pMesh, coordinates and corner order as the file has them:
// 1, or 0 with nothing added. A face without colours of its own takes the mean of its
// corners' colours. `folder` ("" or ending in '/') is where a texture named by a
// "comment TextureFile" line is looked for.
int ReadPly(const std::string& path, model::ModelHost& host, ReadResult* result = nullptr);
int ReadPlyBytes(std::string_view bytes, model::ModelHost& host, ReadResult* result = nullptr,
                 const std::string& folder = {});

}  // namespace formats
