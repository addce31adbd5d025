// libFuzzer target: the Rokkaku Daioh reader on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "formats/rok.h"
#include "model/model_host.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    model::ModelHost host = model::ModelHost::CreateStandalone();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const int before = host.m_pMesh->GetFaceCount();
    const int result = formats::ReadRokBytes(text, host);
    const int after = host.m_pMesh->GetFaceCount();
    // A failed read adds nothing; a successful one adds each face twice.
    if (!result && after != before) __builtin_trap();
    if (result && (after == before || (after - before) % 2 != 0)) __builtin_trap();
    return 0;
}
