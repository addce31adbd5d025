// LightWave objects of the LWO2 and LWO3 layouts (the LWOB reader hands them here).
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "formats/read_result.h"
#include "model/model_host.h"
#include "rm/types.h"

namespace formats {

// Adds the object's faces to host.m_pMesh: 1 on success, 0 on failure (nothing added).
// `data` starts with "FORM", its form type "LWO2" or "LWO3"; `path`, when given, is where
// it came from (its images are looked for beside it).
int ReadLwo2Bytes(std::string_view data, const std::string& path, model::ModelHost& host,
                  ReadResult* result);

// An image block's projection: 0 planar, 1 cylindrical, 2 spherical, 3 cubic (planar along
// the polygon's main axis, `cubicAxis`); `axis` 0 X, 1 Y, 2 Z.
struct LwoProjection {
    int projection = 0;
    int axis = 0;
    rm::Vector center{0, 0, 0};
    rm::Vector size{1, 1, 1};
    float wrapWidth = 1.0f, wrapHeight = 1.0f;
};
// The texture coordinates (u across, v down the image) the projection gives `point`.
std::pair<float, float> ProjectLwoTexture(const LwoProjection& map, const rm::Vector& point,
                                          int cubicAxis = 0);

}  // namespace formats
