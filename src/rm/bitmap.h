// Image files for textures: decoding .bmp, .png, .jpg and .tga files into 32-bit pixels, and
// finding a texture's file through the root's search folders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "rm/texture.h"

namespace rm {

// The largest image taken, of every kind: 8192 pixels a side and 256 MB of decoded pixels. A
// file that declares more is refused before anything is decoded.
constexpr int kMaxBitmapSide = 8192;
constexpr std::size_t kMaxBitmapBytes = std::size_t(256) << 20;

enum class BitmapError {
    None,
    NotFound,    // no file of that name in any folder searched
    Unreadable,  // the file cannot be read, is of no kind taken, is truncated, or is of a
                 // layout the decoder does not take (a run-length compressed bitmap)
    TooLarge,    // wider or taller than kMaxBitmapSide, or more than kMaxBitmapBytes
};

// The kinds of image file taken. A file's kind is known by its first bytes (a TGA file has no
// signature: a header that makes sense is taken as one); Unknown when none fits.
enum class ImageKind { Unknown, Bmp, Png, Jpeg, Tga };

ImageKind ImageKindOf(std::span<const std::uint8_t> bytes);
// The kind a file's name suggests (by its extension, whatever its case): used to say what a
// file that did not decode was meant to be.
ImageKind ImageKindOfName(std::string_view name);

struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0xAARRGGBB, row by row from the top
};

// Decodes an image file held in memory, of whichever kind its bytes are (`kind`, when given,
// says which; Unknown for none).
// - .bmp: 1, 4, 8, 16, 24 and 32 bits a pixel, bottom-up or top-down, with or without bit
//   fields. Run-length compressed bitmaps are refused. A 32-bit bitmap whose alpha is 0
//   everywhere is opaque.
// - .png: every colour type and depth (16-bit samples keep their high byte), interlaced or not.
// - .jpg: baseline and progressive, grey or colour.
// - .tga: colour-mapped, true-colour and grey, plain or run-length encoded.
// A file shorter than its pixels is refused (never shown partly black), as is anything that
// is none of these.
BitmapError DecodeBitmap(std::span<const std::uint8_t> bytes, Bitmap* out,
                         ImageKind* kind = nullptr);
// DecodeBitmap on a file. `kind` is the kind of its bytes, or, when they are of none, the one
// its name suggests.
BitmapError LoadBitmapFile(const std::string& path, Bitmap* out, ImageKind* kind = nullptr);

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

// Loads the image of a texture named `name` through `folders`, whatever the letter case
// of the file on disk. The texture keeps the
// name it was asked for. Null when no candidate file loads; `error` says why (the error
// of the first candidate that exists, or NotFound) and `kind` of what kind that file was,
// `foundPath` where it was.
TexturePtr LoadTexture(const std::string& name, std::span<const std::string> folders,
                       BitmapError* error = nullptr, std::string* foundPath = nullptr,
                       ImageKind* kind = nullptr);

// Gives pixels to every texture of `mesh` that has none, looking each name up through
// `folders`. A texture whose bitmap cannot be loaded keeps its name and stays without
// pixels. Returns the names that could not be loaded, each once, in order of first use.
std::vector<std::string> LoadMeshTextures(class MeshBuilder& mesh,
                                          std::span<const std::string> folders);

}  // namespace rm
