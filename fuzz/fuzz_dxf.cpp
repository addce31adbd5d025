// libFuzzer target: the DXF reader on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "formats/dxf.h"
#include "model/model_host.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    model::ModelHost host = model::ModelHost::CreateStandalone();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const int before = host.m_pMesh->GetFaceCount();
    const int ok = formats::ReadDxfText(text, host);
    const int after = host.m_pMesh->GetFaceCount();
    if (!ok && after != before) __builtin_trap();  // a failed read must add nothing
    if (ok && after <= before) __builtin_trap();   // a successful read adds faces
    // Every face read is a four-cornered face.
    for (int f = before; f < after; ++f) {
        if (host.m_pMesh->GetFace(f).GetVertexCount() != 4) __builtin_trap();
    }
    return 0;
}
