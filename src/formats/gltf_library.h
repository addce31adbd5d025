// The glTF library (tinygltf), included everywhere with the same settings: its JSON through
// nlohmann-json, no image code of its own (images are decoded by the mesh layer's bitmap
// code and encoded by the writer), no files opened behind our back. Its code is compiled
// once, in gltf_library.cpp.
#pragma once

#ifndef TINYGLTF_NO_STB_IMAGE
#define TINYGLTF_NO_STB_IMAGE
#endif
#ifndef TINYGLTF_NO_STB_IMAGE_WRITE
#define TINYGLTF_NO_STB_IMAGE_WRITE
#endif
#ifndef TINYGLTF_NO_EXTERNAL_IMAGE
#define TINYGLTF_NO_EXTERNAL_IMAGE
#endif

#include <tiny_gltf.h>
