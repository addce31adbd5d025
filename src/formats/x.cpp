#include "formats/x.h"

#include <vector>

#include "formats/reader.h"
#include "rm/bitmap.h"
#include "rm/xfile.h"

namespace formats {

int ReadX(const std::string& path, model::ModelHost& host, ReadResult* result) {
    return ReadFileThen(path, result, [&](std::string_view bytes) {
        rm::MeshBuilderPtr loaded = BeginRead(host, result);
        if (!loaded) return 0;
        std::string why;
        rm::XLoadFailure failure = rm::XLoadFailure::None;
        if (!rm::LoadXFromMemory(bytes, *loaded, &why, &failure)) {
            const ReadFailure kind =
                failure == rm::XLoadFailure::Unsupported   ? ReadFailure::Unsupported
                : failure == rm::XLoadFailure::OutOfMemory ? ReadFailure::Unreadable
                                                           : ReadFailure::Malformed;
            return Fail(result, kind, why);
        }
        // Bitmaps of the textures the file names: through the root's search path, then
        // beside the file. One that is not found keeps its name (a save names it again).
        std::vector<std::string> missing =
            rm::LoadMeshTextures(*loaded, ReaderTextureFolders(host, FolderOf(path)));
        // The file's own materials stay: no reader material is set.
        const int merged = MergeRead(host, *loaded, result);
        if (merged && result) result->missingTextures = std::move(missing);
        return merged;
    });
}

int WriteX(const std::string& path, model::ModelHost& host, std::string* error) {
    if (!host.m_pMesh) {
        if (error) *error = "there is no model to save";
        return 0;
    }
    return host.m_pMesh->Save(path, rm::XOFSAVE_ALL, error) ? 1 : 0;
}

}  // namespace formats
