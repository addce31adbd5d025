// DirectX .x files: loading text, binary and MSZIP-compressed files into a mesh builder,
// and saving a mesh builder as text.
#pragma once

#include <string>

#include "rm/mesh_builder.h"

namespace rm {

// Flags of MeshBuilder::Save.
constexpr unsigned XOFSAVE_NORMALS = 1;
constexpr unsigned XOFSAVE_TEXTURECOORDINATES = 2;
constexpr unsigned XOFSAVE_MATERIALS = 4;
constexpr unsigned XOFSAVE_TEXTURENAMES = 8;
constexpr unsigned XOFSAVE_ALL = 15;

}  // namespace rm
