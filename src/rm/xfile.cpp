// MeshBuilder::Load and Save: the file side of the .x loader and saver.
#include "rm/xfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "rm/file_io.h"

namespace rm {
bool MeshBuilder::Load(const std::string& path, std::string* error) {
    std::string why;
    std::string bytes;
    try {
        if (!ReadFileBytes(path, bytes, error)) return false;
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
    return WriteFileAtomically(path, text, error);
}

}  // namespace rm
