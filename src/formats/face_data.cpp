#include "formats/face_data.h"

#include <cmath>
#include <utility>

namespace formats {

rm::Vector FaceNormal(const rm::Vector& a, const rm::Vector& b, const rm::Vector& c) {
    const rm::Vector u = a - b;
    const rm::Vector w = a - c;
    rm::Vector n = rm::Cross(u, w);
    const float len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (len != 0.0f) n = {n.x / len, n.y / len, n.z / len};
    return n;
}

int MergeIntoModel(model::ModelHost& host, rm::MeshBuilder& loaded, std::string* error) {
    if (host.m_pMesh && host.m_pMesh->AddMeshBuilder(std::move(loaded))) return 1;
    if (error) *error = "cannot add the file's faces to the model";
    return 0;
}

}  // namespace formats
