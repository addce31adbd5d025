#include "formats/x.h"

#include "formats/face_data.h"
#include "rm/xfile.h"

namespace formats {

int ReadX(const std::string& path, model::ModelHost& host, std::string* error) {
    if (!host.m_pD3DRoot) return 0;
    rm::MeshBuilderPtr loaded = host.m_pD3DRoot->CreateMeshBuilder();
    if (!loaded) {
        if (error) *error = "cannot create a mesh";
        return 0;
    }
    if (!loaded->Load(path, error)) return 0;
    return MergeIntoModel(host, *loaded, error);
}

int WriteX(const std::string& path, model::ModelHost& host, std::string* error) {
    if (!host.m_pMesh) {
        if (error) *error = "there is no model to save";
        return 0;
    }
    return host.m_pMesh->Save(path, rm::XOFSAVE_ALL, error) ? 1 : 0;
}

}  // namespace formats
