// DirectX .x files: loading text, binary and MSZIP-compressed files into a mesh builder,
// and saving a mesh builder as text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "rm/mesh_builder.h"

namespace rm {

// Flags of MeshBuilder::Save.
constexpr unsigned XOFSAVE_NORMALS = 1;
constexpr unsigned XOFSAVE_TEXTURECOORDINATES = 2;
constexpr unsigned XOFSAVE_MATERIALS = 4;
constexpr unsigned XOFSAVE_TEXTURENAMES = 8;
constexpr unsigned XOFSAVE_ALL = 15;

// The most a compressed .x body may inflate to (as large as the largest file read).
constexpr std::size_t kMaxXFileSize = std::size_t(1) << 30;
// Data objects nested deeper than this make the file fail to load.
constexpr int kMaxXNesting = 64;

// Why a .x load failed.
enum class XLoadFailure {
    None,
    Malformed,    // not a .x file, or a damaged one
    Unsupported,  // a .x layout or float size this loader does not take
    OutOfMemory,
};

// Loads a whole .x file held in memory and appends its meshes (every Mesh in the file,
// each moved by the transforms of the frames around it) to `into`. All or nothing: on
// failure `into` is unchanged, `error` says why and `failure` (when given) what kind.
// A compressed body that inflates to more than `maxInflated` bytes fails (the program
// always uses kMaxXFileSize; tests set less to reach the limit).
bool LoadXFromMemory(std::string_view bytes, MeshBuilder& into, std::string* error = nullptr,
                     XLoadFailure* failure = nullptr, std::size_t maxInflated = kMaxXFileSize);

// The text of a .x file holding `mesh` as one Mesh object; `flags` picks the parts
// written (XOFSAVE_*). Vertices whose corners differ in texture coordinates or normals
// are split, so every corner keeps its own.
std::string SaveXToString(const MeshBuilder& mesh, unsigned flags);

}  // namespace rm
