// glTF 2.0 writers: .gltf (JSON, with NAME.bin and one NAME_N.png per texture beside it) and
// .glb (one binary file with everything embedded). Right-handed, counter-clockwise front
// faces; faces become triangles; one material per distinct face colour and texture.
#pragma once

#include <string>
#include <vector>

namespace formats {

struct WriteRequest;
int SaveGltf(const WriteRequest& request, std::string* error);
int SaveGlb(const WriteRequest& request, std::string* error);

}  // namespace formats
