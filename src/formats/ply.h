// PLY: vertices with colours (and texture coordinates when a face has a texture) and faces
// as polygons, binary little-endian or text. Right-handed, counter-clockwise front faces.
// A vertex shared by faces of different colours is written once per colour.
#pragma once

#include <string>

namespace formats {

struct WriteRequest;
int SavePly(const WriteRequest& request, std::string* error);

}  // namespace formats
