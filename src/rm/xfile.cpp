#include "rm/xfile.h"

namespace rm {

// The .x loader and saver are not written yet: both report failure.
bool MeshBuilder::Load(const std::string& path, std::string* error) {
    if (error) *error = "DirectX .x files are not supported yet: " + path;
    return false;
}

bool MeshBuilder::Save(const std::string& path, unsigned /*flags*/, std::string* error) const {
    if (error) *error = "DirectX .x files are not supported yet: " + path;
    return false;
}

}  // namespace rm
