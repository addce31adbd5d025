// Reading glTF 2.0: .gltf (JSON, with buffers beside it or in data URIs) and .glb. Every
// triangle primitive (triangles, strips, fans) of the default scene, with its nodes'
// transforms; positions, the first texture coordinate set, and each material's base colour
// factor and base colour texture. Images are decoded by the mesh layer's own image code.
#pragma once

#include <string>
#include <string_view>

#include "formats/read_result.h"
#include "model/model_host.h"

namespace formats {

// Adds the file's triangles to host.m_pMesh, coordinates as the file has them: 1, or 0 with
// nothing added. A file that requires an extension this reader does not know is refused
// (Unsupported, naming it). `folder` ("" or ending in '/') is where external buffers and
// images are looked for; `binary` says which of the two forms `bytes` are.
int ReadGltf(const std::string& path, model::ModelHost& host, ReadResult* result = nullptr);
int ReadGltfBytes(std::string_view bytes, bool binary, const std::string& folder,
                  model::ModelHost& host, ReadResult* result = nullptr);

}  // namespace formats
