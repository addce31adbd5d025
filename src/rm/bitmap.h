// Bitmap files for textures: decoding .bmp files into 32-bit pixels, and finding a
// texture's file through the root's search folders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "rm/texture.h"

namespace rm {

// The largest bitmap taken: 8192 pixels a side and 256 MB of decoded pixels. A file that
// declares more is refused before anything is decoded.
constexpr int kMaxBitmapSide = 8192;
constexpr std::size_t kMaxBitmapBytes = std::size_t(256) << 20;

enum class BitmapError {
    None,
    NotFound,    // no file of that name in any folder searched
    Unreadable,  // the file cannot be read, is not a bitmap, is truncated or compressed
    TooLarge,    // wider or taller than kMaxBitmapSide, or more than kMaxBitmapBytes
};

struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0xAARRGGBB, row by row from the top
};

// Decodes a .bmp file held in memory: 1, 4, 8, 16, 24 and 32 bits a pixel, bottom-up or
// top-down, with or without bit fields. Run-length compressed bitmaps, files shorter than
// their pixel rows and anything that is not a bitmap are refused. A 32-bit bitmap whose
// alpha is 0 everywhere is opaque.
BitmapError DecodeBitmap(std::span<const std::uint8_t> bytes, Bitmap* out);
BitmapError LoadBitmapFile(const std::string& path, Bitmap* out);

// Where a texture named `name` is looked for, in order: an absolute name as it is; a
// relative one in each of `folders` (each ending in '/'). A name written with '\'
// separators is looked for with '/' as well, and then by its last part alone, so that
// textures named by files from other systems are found beside the model. A name that is
// not UTF-8 is decoded from Shift-JIS first, and a volume prefix ("HQ:") is dropped.
std::vector<std::string> TextureCandidates(const std::string& name,
                                           std::span<const std::string> folders);

// `path` itself when that file exists, else the file whose name differs from it only in the
// letter case of its parts (ASCII letters), else `path` unchanged.
std::string FindFileIgnoringCase(const std::string& path);

// Loads the bitmap of a texture named `name` through `folders`, whatever the letter case
// of the file on disk. The texture keeps the
// name it was asked for. Null when no candidate file loads; `error` says why (the error
// of the first candidate that exists, or NotFound), `foundPath` where it was.
TexturePtr LoadTexture(const std::string& name, std::span<const std::string> folders,
                       BitmapError* error = nullptr, std::string* foundPath = nullptr);

// Gives pixels to every texture of `mesh` that has none, looking each name up through
// `folders`. A texture whose bitmap cannot be loaded keeps its name and stays without
// pixels. Returns the names that could not be loaded, each once, in order of first use.
std::vector<std::string> LoadMeshTextures(class MeshBuilder& mesh,
                                          std::span<const std::string> folders);

}  // namespace rm
