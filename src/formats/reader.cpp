#include "formats/reader.h"

#include <filesystem>
#include <utility>

#include "rm/root.h"

namespace formats {

int Fail(ReadResult* result, ReadFailure kind, std::string detail) {
    if (result) *result = ReadResult::Failure(kind, std::move(detail));
    return 0;
}

int FailAddFaces(ReadResult* result, std::string_view message) {
    if (result) {
        *result = ReadResult::Failure(ReadFailure::MergeRefused, std::string(message));
        result->message = message;
        result->caption = "ERROR";
    }
    return 0;
}

rm::MeshBuilderPtr BeginRead(model::ModelHost& host, ReadResult* result) {
    if (!host.m_pD3DRoot || !host.m_pMesh) {
        Fail(result, ReadFailure::NoModel, "there is no model to add to");
        return nullptr;
    }
    rm::MeshBuilderPtr temp = host.m_pD3DRoot->CreateMeshBuilder();
    if (!temp) Fail(result, ReadFailure::MergeRefused, "cannot create a mesh");
    return temp;
}

int FinishRead(model::ModelHost& host, rm::MeshBuilder& loaded, ReadResult* result) {
    if (host.m_pD3DRoot) loaded.SetMaterial(host.m_pD3DRoot->CreateMaterial(kReaderSpecularPower));
    return MergeRead(host, loaded, result);
}

int MergeRead(model::ModelHost& host, rm::MeshBuilder& loaded, ReadResult* result) {
    if (host.m_pMesh && host.m_pMesh->AddMeshBuilder(std::move(loaded))) {
        if (result) *result = ReadResult::Success();
        return 1;
    }
    return Fail(result, ReadFailure::MergeRefused, "cannot add the file's faces to the model");
}

std::string FolderOf(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    return folder.empty() ? std::string() : folder.string() + '/';
}

std::vector<std::string> ReaderTextureFolders(const model::ModelHost& host,
                                              const std::string& folder) {
    std::vector<std::string> folders;
    if (host.m_pD3DRoot) folders = host.m_pD3DRoot->GetSearchPaths();
    folders.push_back(folder);
    return folders;
}

}  // namespace formats
