#include "rm/bitmap.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>

#include "base/numbers.h"
#include "base/text_encoding.h"
#include "rm/file_io.h"
#include "rm/mesh_builder.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_MAX_DIMENSIONS 8192
// GCC's optimiser, inlining the decoders, thinks some of stb's context fields may be read
// before they are set (they are not: every entry point sets them first).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <stb_image.h>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

namespace rm {

namespace {

static_assert(STBI_MAX_DIMENSIONS == kMaxBitmapSide);

// An image file may carry a little more than its pixels (header, palette, trailing bytes).
constexpr std::uintmax_t kMaxBitmapFileSize = kMaxBitmapBytes + (std::uintmax_t(1) << 20);

// The header's little-endian fields, `at` bytes in.
std::uint32_t Load16(std::span<const std::uint8_t> b, std::size_t at) {
    return base::LoadLE16(b.data() + at);
}
std::uint32_t Load32(std::span<const std::uint8_t> b, std::size_t at) {
    return base::LoadLE32(b.data() + at);
}

BitmapError CheckSize(std::int64_t width, std::int64_t height) {
    if (width > kMaxBitmapSide || height > kMaxBitmapSide) return BitmapError::TooLarge;
    if (std::uint64_t(width) * std::uint64_t(height) * 4 > kMaxBitmapBytes) {
        return BitmapError::TooLarge;
    }
    return BitmapError::None;
}

// What the decoder is not asked to judge: the declared size against the limits, run-length
// compression, and pixel rows that the file is too short to hold (the decoder would read
// zeros past the end and show a partly black picture).
BitmapError CheckHeader(std::span<const std::uint8_t> b) {
    constexpr std::size_t kFileHeader = 14;
    if (b.size() < kFileHeader + 12 || b[0] != 'B' || b[1] != 'M') return BitmapError::Unreadable;
    const std::uint64_t offset = Load32(b, 10);
    const std::uint32_t headerSize = Load32(b, 14);
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t bitsPerPixel = 0;
    std::uint32_t compression = 0;
    if (headerSize == 12) {
        width = Load16(b, 18);
        height = Load16(b, 20);
        bitsPerPixel = Load16(b, 24);
    } else {
        if (b.size() < kFileHeader + 20) return BitmapError::Unreadable;
        width = std::int32_t(Load32(b, 18));
        height = std::int32_t(Load32(b, 22));  // negative: rows from the top
        bitsPerPixel = Load16(b, 28);
        compression = Load32(b, 30);
    }
    if (height < 0) height = -height;
    if (width <= 0 || height == 0) return BitmapError::Unreadable;
    if (const BitmapError e = CheckSize(width, height); e != BitmapError::None) return e;
    if (compression == 1 || compression == 2) return BitmapError::Unreadable;  // RLE8, RLE4
    const std::uint64_t rowBytes = (std::uint64_t(width) * bitsPerPixel + 31) / 32 * 4;
    if (offset > b.size() || rowBytes * std::uint64_t(height) > b.size() - offset) {
        return BitmapError::Unreadable;
    }
    return BitmapError::None;
}

// The header of a TGA file, which has no signature: what stb's decoder takes, checked field
// by field.
struct TgaHeader {
    std::size_t dataOffset = 0;
    std::size_t pixelBytes = 0;
    bool runLength = false;
    std::int64_t width = 0;
    std::int64_t height = 0;
};

bool ParseTgaHeader(std::span<const std::uint8_t> b, TgaHeader* h) {
    constexpr std::size_t kHeader = 18;
    if (b.size() < kHeader) return false;
    const unsigned mapType = b[1];
    const unsigned type = b[2];
    const unsigned bits = b[16];
    if (mapType > 1) return false;
    const bool mapped = type == 1 || type == 9;
    const bool other = type == 2 || type == 3 || type == 10 || type == 11;
    if (!mapped && !other) return false;
    if (mapped != (mapType == 1)) return false;
    std::size_t mapBytes = 0;
    if (mapType == 1) {
        const unsigned mapBits = b[7];
        if (mapBits != 8 && mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32) {
            return false;
        }
        if (bits != 8 && bits != 16) return false;  // colour-map indices
        mapBytes = std::size_t(Load16(b, 5)) * ((mapBits + 7) / 8);
    } else if (bits != 8 && bits != 15 && bits != 16 && bits != 24 && bits != 32) {
        return false;
    }
    h->dataOffset = kHeader + b[0] + mapBytes;
    h->pixelBytes = (bits + 7) / 8;
    h->runLength = type >= 9;
    h->width = Load16(b, 12);
    h->height = Load16(b, 14);
    return h->width > 0 && h->height > 0;
}

// Whether the file holds every pixel its header declares (the decoder would read zeros past
// the end).
bool TgaPixelsPresent(std::span<const std::uint8_t> b, const TgaHeader& h) {
    if (h.dataOffset > b.size()) return false;
    const std::uint64_t count = std::uint64_t(h.width) * std::uint64_t(h.height);
    const std::uint64_t available = b.size() - h.dataOffset;
    if (!h.runLength) return count * h.pixelBytes <= available;
    std::size_t at = h.dataOffset;
    for (std::uint64_t done = 0; done < count;) {
        if (at >= b.size()) return false;
        const unsigned packet = b[at++];
        const std::uint64_t run = (packet & 0x7F) + 1;
        const std::uint64_t bytes = (packet & 0x80) ? h.pixelBytes : run * h.pixelBytes;
        if (bytes > b.size() - at) return false;
        at += std::size_t(bytes);
        done += run;
    }
    return true;
}

std::uint32_t LoadBig16(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t(b[at]) << 8 | std::uint32_t(b[at + 1]);
}
std::uint32_t LoadBig32(std::span<const std::uint8_t> b, std::size_t at) {
    return LoadBig16(b, at) << 16 | LoadBig16(b, at + 2);
}

// A JPEG file's frame size, from its start-of-frame segment, and whether its entropy-coded
// data ends: an end-of-image marker after the first scan. A file cut short inside its scans
// has none (the decoder would fill the rest with grey).
struct JpegLayout {
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool complete = false;
};

JpegLayout ScanJpeg(std::span<const std::uint8_t> b) {
    JpegLayout layout;
    std::size_t at = 2;
    bool scan = false;
    while (at + 1 < b.size()) {
        if (b[at] != 0xFF) return layout;
        const unsigned marker = b[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        at += 2;
        if (marker == 0xD9) return layout;  // ends before any scan
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
        if (at + 2 > b.size()) return layout;
        const std::size_t length = LoadBig16(b, at);
        if (length < 2 || length > b.size() - at) return layout;
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && length >= 7) {
            layout.height = LoadBig16(b, at + 3);
            layout.width = LoadBig16(b, at + 5);
        }
        at += length;
        if (marker == 0xDA) {
            scan = true;
            break;
        }
    }
    // Within scans a 0xFF byte is followed by 0x00 or a restart marker, so the first FF D9
    // after the scan header is the end of the image.
    for (; scan && at + 1 < b.size(); ++at) {
        if (b[at] == 0xFF && b[at + 1] == 0xD9) {
            layout.complete = true;
            break;
        }
    }
    return layout;
}

// Whether every Huffman table of a JPEG file has at most 256 codes. The image decoder lays
// a table's code lengths out in an array of 257 before it checks them, so a table whose
// sixteen counts add up to more writes past that array. Markers are found as the decoder
// finds them: segments skipped by their lengths, and anything else (entropy-coded data,
// junk between segments) passed over byte by byte up to the next 0xFF that starts a marker.
// Bytes past the end of the file count as 0, as the decoder reads them.
bool JpegHuffmanTablesFit(std::span<const std::uint8_t> b) {
    const auto byteAt = [&b](std::size_t at) -> unsigned { return at < b.size() ? b[at] : 0; };
    std::size_t at = 2;
    while (at + 1 < b.size()) {
        if (b[at] != 0xFF) {
            ++at;
            continue;
        }
        const unsigned marker = b[at + 1];
        if (marker == 0xFF || marker == 0x00 || marker == 0x01 ||
            (marker >= 0xD0 && marker <= 0xD7)) {
            ++at;  // a fill byte, a stuffed 0xFF in entropy-coded data, or a marker of no length
            continue;
        }
        if (marker == 0xD9) return true;  // end of image
        at += 2;
        const std::size_t length = (byteAt(at) << 8) | byteAt(at + 1);
        if (marker == 0xC4) {
            // One or more tables: a class and id byte, sixteen counts, then the codes.
            std::int64_t left = std::int64_t(length) - 2;
            std::size_t table = at + 2;
            while (left > 0) {
                unsigned codes = 0;
                for (std::size_t i = 0; i < 16; ++i) codes += byteAt(table + 1 + i);
                if (codes > 256) return false;
                table += 17 + codes;
                left -= 17 + std::int64_t(codes);
            }
        }
        if (length < 2) return true;  // the decoder stops here
        at += length;
    }
    return true;
}

// The size an image of `kind` declares, checked against the limits, and whether its bytes
// hold all of it, before any pixel is decoded.
BitmapError CheckImage(std::span<const std::uint8_t> b, ImageKind kind) {
    switch (kind) {
        case ImageKind::Bmp:
            return CheckHeader(b);
        case ImageKind::Tga: {
            TgaHeader h;
            if (!ParseTgaHeader(b, &h)) return BitmapError::Unreadable;
            if (const BitmapError e = CheckSize(h.width, h.height); e != BitmapError::None) {
                return e;
            }
            return TgaPixelsPresent(b, h) ? BitmapError::None : BitmapError::Unreadable;
        }
        case ImageKind::Png: {
            // The signature, then the IHDR chunk: length, name, width, height. A file cut
            // short is refused by the decoder, which needs every chunk up to IEND.
            if (b.size() < 24 || std::memcmp(b.data() + 12, "IHDR", 4) != 0) {
                return BitmapError::Unreadable;
            }
            const std::uint32_t width = LoadBig32(b, 16);
            const std::uint32_t height = LoadBig32(b, 20);
            if (width == 0 || height == 0) return BitmapError::Unreadable;
            return CheckSize(width, height);
        }
        case ImageKind::Jpeg: {
            const JpegLayout layout = ScanJpeg(b);
            if (layout.width == 0 || layout.height == 0) return BitmapError::Unreadable;
            if (const BitmapError e = CheckSize(layout.width, layout.height);
                e != BitmapError::None) {
                return e;
            }
            if (!JpegHuffmanTablesFit(b)) return BitmapError::Unreadable;
            return layout.complete ? BitmapError::None : BitmapError::Unreadable;
        }
        case ImageKind::Unknown:
            break;
    }
    return BitmapError::Unreadable;
}

std::string WithSlashes(std::string s) {
    for (char& c : s) {
        if (c == '\\') c = '/';
    }
    return s;
}

// "HQ:images/wood.png": a volume name of the system the file was written on (two or more
// letters before the colon; one letter is a drive). The rest is read as a relative name.
std::string WithoutVolume(const std::string& name) {
    const std::size_t colon = name.find(':');
    if (colon == std::string::npos || colon < 2) return name;
    if (name.find_first_of("/\\") < colon) return name;
    std::string rest = name.substr(colon + 1);
    while (!rest.empty() && (rest.front() == '/' || rest.front() == '\\')) rest.erase(0, 1);
    return rest;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) {
                   return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
               };
               return lower(x) == lower(y);
           });
}

}  // namespace

std::string FindFileIgnoringCase(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (path.empty() || fs::is_regular_file(path, ec)) return path;
    const fs::path whole(path);
    fs::path found = whole.root_path();
    for (const fs::path& part : whole.relative_path()) {
        const fs::path exact = found / part;
        if (fs::exists(exact, ec) || part == "." || part == "..") {
            found = exact;
            continue;
        }
        const fs::path here = found.empty() ? fs::path(".") : found;
        fs::path match;
        for (fs::directory_iterator it(here, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (SameIgnoringCase(name, part.string())) {
                match = found / name;
                break;
            }
        }
        if (match.empty()) return path;
        found = match;
    }
    return fs::is_regular_file(found, ec) ? found.string() : path;
}

ImageKind ImageKindOf(std::span<const std::uint8_t> b) {
    static constexpr std::uint8_t kPng[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (b.size() >= 2 && b[0] == 'B' && b[1] == 'M') return ImageKind::Bmp;
    if (b.size() >= 8 && std::memcmp(b.data(), kPng, 8) == 0) return ImageKind::Png;
    if (b.size() >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) return ImageKind::Jpeg;
    TgaHeader tga;
    if (ParseTgaHeader(b, &tga)) return ImageKind::Tga;
    return ImageKind::Unknown;
}

ImageKind ImageKindOfName(std::string_view name) {
    const std::size_t dot = name.find_last_of("./\\");
    if (dot == std::string_view::npos || name[dot] != '.') return ImageKind::Unknown;
    std::string ext(name.substr(dot + 1));
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "bmp") return ImageKind::Bmp;
    if (ext == "png") return ImageKind::Png;
    if (ext == "jpg" || ext == "jpeg") return ImageKind::Jpeg;
    if (ext == "tga") return ImageKind::Tga;
    return ImageKind::Unknown;
}

BitmapError DecodeBitmap(std::span<const std::uint8_t> bytes, Bitmap* out, ImageKind* kindOut) {
    const ImageKind kind = ImageKindOf(bytes);
    if (kindOut) *kindOut = kind;
    if (bytes.size() > kMaxBitmapFileSize) return BitmapError::TooLarge;
    if (const BitmapError e = CheckImage(bytes, kind); e != BitmapError::None) return e;
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* rgba =
        stbi_load_from_memory(bytes.data(), int(bytes.size()), &width, &height, &channels, 4);
    if (!rgba) return BitmapError::Unreadable;
    Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    const std::size_t count = std::size_t(width) * std::size_t(height);
    bitmap.pixels.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const stbi_uc* p = rgba + i * 4;
        bitmap.pixels[i] = (std::uint32_t(p[3]) << 24) | (std::uint32_t(p[0]) << 16) |
                           (std::uint32_t(p[1]) << 8) | std::uint32_t(p[2]);
    }
    stbi_image_free(rgba);
    if (out) *out = std::move(bitmap);
    return BitmapError::None;
}

BitmapError LoadBitmapFile(const std::string& path, Bitmap* out, ImageKind* kind) {
    if (kind) *kind = ImageKind::Unknown;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return BitmapError::NotFound;
    if (kind) *kind = ImageKindOfName(path);
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) return BitmapError::Unreadable;
    if (size > kMaxBitmapFileSize) return BitmapError::TooLarge;
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) return BitmapError::Unreadable;
    ImageKind found = ImageKind::Unknown;
    const BitmapError e = DecodeBitmap(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), out, &found);
    if (kind && found != ImageKind::Unknown) *kind = found;
    return e;
}

std::vector<std::string> TextureCandidates(const std::string& rawName,
                                           std::span<const std::string> folders) {
    std::vector<std::string> out;
    if (rawName.empty()) return out;
    // Names are looked for decoded (a Shift-JIS name's 0x5C second bytes are no separators)
    // and without a volume prefix.
    const std::string name = WithoutVolume(base::NameToUtf8(rawName));
    if (name.empty()) return out;
    const std::string slashed = WithSlashes(name);
    const auto add = [&out](std::string path) {
        if (std::find(out.begin(), out.end(), path) == out.end()) out.push_back(std::move(path));
    };
    // "C:\..." and "\\server\..." are absolute where they were written, not here.
    const bool absoluteHere = name.front() == '/';
    const bool foreignAbsolute = (slashed.size() > 2 && slashed[1] == ':' && slashed[2] == '/') ||
                                 (slashed.front() == '/' && !absoluteHere);
    if (absoluteHere) {
        add(name);
    } else if (!foreignAbsolute) {
        for (const std::string& folder : folders) add(folder + name);
        if (slashed != name) {
            for (const std::string& folder : folders) add(folder + slashed);
        }
    }
    const std::size_t cut = slashed.find_last_of('/');
    if (cut != std::string::npos && cut + 1 < slashed.size()) {
        const std::string last = slashed.substr(cut + 1);
        for (const std::string& folder : folders) add(folder + last);
    }
    return out;
}

TexturePtr LoadTexture(const std::string& name, std::span<const std::string> folders,
                       BitmapError* error, std::string* foundPath, ImageKind* kind) {
    BitmapError why = BitmapError::NotFound;
    ImageKind whyKind = ImageKind::Unknown;
    for (const std::string& path : TextureCandidates(name, folders)) {
        Bitmap bitmap;
        const std::string onDisk = FindFileIgnoringCase(path);
        ImageKind fileKind = ImageKind::Unknown;
        const BitmapError e = LoadBitmapFile(onDisk, &bitmap, &fileKind);
        if (e == BitmapError::None) {
            auto texture = std::make_shared<Texture>(name);
            texture->SetPixels(bitmap.width, bitmap.height, std::move(bitmap.pixels));
            if (error) *error = BitmapError::None;
            if (foundPath) *foundPath = onDisk;
            if (kind) *kind = fileKind;
            return texture;
        }
        if (why == BitmapError::NotFound) {
            why = e;
            whyKind = fileKind;
        }
    }
    if (error) *error = why;
    if (kind) *kind = whyKind;
    return nullptr;
}

std::vector<std::string> LoadMeshTextures(MeshBuilder& mesh, std::span<const std::string> folders) {
    std::vector<std::string> failed;
    std::set<const Texture*> seen;
    for (std::size_t f = 0; f < mesh.FaceRecords().size(); ++f) {
        Texture* texture = mesh.TextureAt(f);
        if (!texture || !texture->Pixels().empty() || !seen.insert(texture).second) {
            continue;
        }
        if (TexturePtr loaded = LoadTexture(texture->GetName(), folders)) {
            texture->SetPixels(loaded->Width(), loaded->Height(), loaded->Pixels());
        } else {
            failed.push_back(texture->GetName());
        }
    }
    return failed;
}

}  // namespace rm
