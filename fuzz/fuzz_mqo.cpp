// libFuzzer target: the Metasequoia reader on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "formats/mqo.h"
#include "model/model_host.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    model::ModelHost host = model::ModelHost::CreateStandalone();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const int before = host.m_pMesh->GetFaceCount();
    if (!formats::ReadMqoText(text, host) && host.m_pMesh->GetFaceCount() != before) {
        __builtin_trap();  // a failed read must add nothing
    }
    return 0;
}
