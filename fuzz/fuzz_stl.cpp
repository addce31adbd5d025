// libFuzzer target: the STL reader on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "formats/stl_read.h"
#include "model/model_host.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    model::ModelHost host = model::ModelHost::CreateStandalone();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (formats::ReadStlBytes(bytes, host)) {
        // Every face the reader adds is a polygon of 3..16 corners over existing vertices.
        const rm::MeshBuilder& mesh = *host.m_pMesh;
        if (mesh.GetFaceCount() == 0) __builtin_trap();
        for (std::size_t f = 0; f < mesh.FaceRecords().size(); ++f) {
            const auto corners = mesh.FaceCorners(f);
            if (corners.size() < 3 || corners.size() > 16) __builtin_trap();
            for (const auto& c : corners) {
                if (c.vertex >= mesh.GetVertexCount()) __builtin_trap();
            }
        }
    } else if (host.m_pMesh->GetFaceCount() != 0 || host.m_pMesh->GetVertexCount() != 0) {
        __builtin_trap();  // a failed read must add nothing
    }
    return 0;
}
