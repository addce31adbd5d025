// libFuzzer target: the LightWave object reader on arbitrary bytes. Whatever it reads must
// also go through the table, the writer and the reader again with the same face count.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "formats/lwo.h"
#include "model/face_table.h"
#include "model/model_host.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto table = std::make_unique<model::FaceTable>();
    model::ModelHost host = model::ModelHost::CreateStandalone();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const int before = host.m_pMesh->GetFaceCount();
    if (!formats::ReadLwoBytes(bytes, host)) {
        if (host.m_pMesh->GetFaceCount() != before) __builtin_trap();  // a failed read adds nothing
        return 0;
    }
    table->ReadFromMesh(host);
    if (!table->RebuildMesh(host)) return 0;
    std::string written;
    if (!formats::FormatLwo(*table, written)) return 0;
    model::ModelHost again = model::ModelHost::CreateStandalone();
    if (!formats::ReadLwoBytes(written, again) ||
        again.m_pMesh->GetFaceCount() != table->faceCount) {
        __builtin_trap();  // our own output must read back
    }
    return 0;
}
