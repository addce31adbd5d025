// libFuzzer target: the .x loader on arbitrary bytes, and a save of whatever it loaded.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "rm/mesh_builder.h"
#include "rm/xfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    rm::MeshBuilder mesh;
    std::string error;
    if (!rm::LoadXFromMemory(bytes, mesh, &error)) {
        if (mesh.GetFaceCount() != 0 || error.empty()) __builtin_trap();  // nothing added
        return 0;
    }
    // What loaded must save, and the save must load back with the same faces.
    const std::string text = rm::SaveXToString(mesh, rm::XOFSAVE_ALL);
    rm::MeshBuilder again;
    if (!rm::LoadXFromMemory(text, again, &error) && mesh.GetFaceCount() > 0) __builtin_trap();
    if (mesh.GetFaceCount() > 0 && again.GetFaceCount() != mesh.GetFaceCount()) __builtin_trap();
    return 0;
}
