// The one translation unit that compiles the glTF library's code.
#define TINYGLTF_IMPLEMENTATION
#include "formats/gltf_library.h"
