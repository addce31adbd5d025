#include "rm/bitmap.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "base/text_encoding.h"
#include "rm/file_io.h"
#include "rm/mesh_builder.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_MAX_DIMENSIONS 8192
#include <stb_image.h>

namespace rm {

namespace {

static_assert(STBI_MAX_DIMENSIONS == kMaxBitmapSide);

// A bitmap file may carry a little more than its pixels (header, palette, trailing bytes).
constexpr std::uintmax_t kMaxBitmapFileSize = kMaxBitmapBytes + (std::uintmax_t(1) << 20);

std::uint32_t Load16(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t(b[at]) | (std::uint32_t(b[at + 1]) << 8);
}
std::uint32_t Load32(std::span<const std::uint8_t> b, std::size_t at) {
    return Load16(b, at) | (Load16(b, at + 2) << 16);
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
    if (width > kMaxBitmapSide || height > kMaxBitmapSide) return BitmapError::TooLarge;
    if (std::uint64_t(width) * std::uint64_t(height) * 4 > kMaxBitmapBytes) {
        return BitmapError::TooLarge;
    }
    if (compression == 1 || compression == 2) return BitmapError::Unreadable;  // RLE8, RLE4
    const std::uint64_t rowBytes = (std::uint64_t(width) * bitsPerPixel + 31) / 32 * 4;
    if (offset > b.size() || rowBytes * std::uint64_t(height) > b.size() - offset) {
        return BitmapError::Unreadable;
    }
    return BitmapError::None;
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

BitmapError DecodeBitmap(std::span<const std::uint8_t> bytes, Bitmap* out) {
    if (bytes.size() > kMaxBitmapFileSize) return BitmapError::TooLarge;
    if (const BitmapError e = CheckHeader(bytes); e != BitmapError::None) return e;
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

BitmapError LoadBitmapFile(const std::string& path, Bitmap* out) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return BitmapError::NotFound;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) return BitmapError::Unreadable;
    if (size > kMaxBitmapFileSize) return BitmapError::TooLarge;
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) return BitmapError::Unreadable;
    return DecodeBitmap(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), out);
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
                       BitmapError* error, std::string* foundPath) {
    BitmapError why = BitmapError::NotFound;
    for (const std::string& path : TextureCandidates(name, folders)) {
        Bitmap bitmap;
        const std::string onDisk = FindFileIgnoringCase(path);
        const BitmapError e = LoadBitmapFile(onDisk, &bitmap);
        if (e == BitmapError::None) {
            auto texture = std::make_shared<Texture>(name);
            texture->SetPixels(bitmap.width, bitmap.height, std::move(bitmap.pixels));
            if (error) *error = BitmapError::None;
            if (foundPath) *foundPath = onDisk;
            return texture;
        }
        if (why == BitmapError::NotFound) why = e;
    }
    if (error) *error = why;
    return nullptr;
}

std::vector<std::string> LoadMeshTextures(MeshBuilder& mesh, std::span<const std::string> folders) {
    std::vector<std::string> failed;
    std::set<const Texture*> seen;
    for (const MeshBuilder::FaceRecord& face : mesh.FaceRecords()) {
        Texture* texture = face.texture.get();
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
