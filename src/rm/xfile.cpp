// MeshBuilder::Load and Save: the file side of the .x loader and saver.
#include "rm/xfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

namespace rm {
namespace {

bool ReadWholeFile(const std::string& path, std::string& out, std::string& error) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    bool ok = true;
    char buf[1 << 16];
    for (;;) {
        const std::size_t n = std::fread(buf, 1, sizeof buf, f);
        if (out.size() + n > kMaxXFileSize) {
            error = "file is larger than 1 GiB";
            ok = false;
            break;
        }
        out.append(buf, n);
        if (n < sizeof buf) {
            if (std::ferror(f)) {
                error = "read error";
                ok = false;
            }
            break;
        }
    }
    std::fclose(f);
    return ok;
}

}  // namespace

bool MeshBuilder::Load(const std::string& path, std::string* error) {
    std::string why;
    std::string bytes;
    try {
        if (!ReadWholeFile(path, bytes, why)) {
            if (error) *error = why;
            return false;
        }
    } catch (const std::bad_alloc&) {
        if (error) *error = "out of memory";
        return false;
    }
    if (!LoadXFromMemory(bytes, *this, &why)) {
        if (error) *error = why;
        return false;
    }
    return true;
}

bool MeshBuilder::Save(const std::string& path, unsigned flags, std::string* error) const {
    std::string text;
    try {
        text = SaveXToString(*this, flags);
    } catch (const std::bad_alloc&) {
        if (error) *error = "out of memory";
        return false;
    }
    return WriteFileReplacing(path, text, error);
}

}  // namespace rm
