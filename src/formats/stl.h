// STL: triangles with a facet normal each, binary (little-endian) or text. Right-handed,
// counter-clockwise front faces; colours and texture coordinates are not kept.
#pragma once

#include <string>

#include "formats/export_view.h"

namespace formats {

// The file's bytes: `ascii` for the text form, named `name` ("solid name").
std::string FormatStl(const ExportView& view, bool ascii, const std::string& name);

struct WriteRequest;
int SaveStl(const WriteRequest& request, std::string* error);

}  // namespace formats
