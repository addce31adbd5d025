#include "model/face_table.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "rm/face_data.h"

namespace model {

FaceTable::FaceTable(int maxFaces, int maxCorners) {
    Resize(maxFaces, maxCorners);
}

void FaceTable::Resize(int maxFaces, int maxCorners) {
    maxFaces_ = std::max(maxFaces, 0);
    maxCorners_ = std::clamp(maxCorners, 1, MAX_FACE_VERTICES);
    faceCount = 0;
    vertexCount.assign(std::size_t(maxFaces_), 0);
    for (CornerRows<rm::Vector>* rows : {&position, &normal}) rows->Assign(maxFaces_, maxCorners_);
    for (CornerRows<int>* rows : {&vertexIndex, &selected}) rows->Assign(maxFaces_, maxCorners_);
    for (CornerRows<float>* rows : {&texU, &texV}) rows->Assign(maxFaces_, maxCorners_);
    faceMark.assign(std::size_t(maxFaces_), 1);
    poolVertexCount = 0;
    AllocateHeapArrays();
}

void FaceTable::AllocateHeapArrays() {
    vertexPool.Assign(std::size_t(PoolCapacity()));
    faceColor = std::make_unique<FaceColor[]>(std::size_t(maxFaces_));  // 192, 192, 192, 255
    faceTexture = std::make_unique<rm::TexturePtr[]>(std::size_t(maxFaces_));
}

ReadStats FaceTable::ReadFromMesh(ModelHost& host) {
    ReadStats stats;
    rm::MeshBuilder* mesh = host.m_pMesh.get();
    if (!mesh) {
        faceCount = 0;
        return stats;
    }
    stats.meshFaces = mesh->GetFaceCount();
    faceCount = std::min(stats.meshFaces, maxFaces_);
    stats.droppedFaces = stats.meshFaces - faceCount;

    // Raw access to the mesh: this runs after every open and edit, so it stays one pass.
    const std::vector<rm::Vector>& verts = mesh->Vertices();
    const std::vector<rm::Vector>& norms = mesh->Normals();
    const auto& faces = mesh->FaceRecords();
    bool bigIndex = false;
    for (int f = 0; f < faceCount; ++f) {
        faceMark[f] = 1;
        const rm::MeshBuilder::CornerRange corners = mesh->FaceCorners(std::size_t(f));
        const int n = static_cast<int>(corners.size());
        vertexCount[f] = std::min(n, maxCorners_);
        stats.droppedCorners += n - vertexCount[f];
        for (int k = 0; k < vertexCount[f]; ++k) {
            const rm::MeshBuilder::Corner c = corners[std::size_t(k)];
            position[f][k] = verts[c.vertex];
            normal[f][k] = c.normal < norms.size() ? norms[c.normal] : rm::Vector{};
            if (c.vertex >= std::uint32_t(PoolCapacity())) bigIndex = true;
            vertexIndex[f][k] =
                static_cast<int>(c.vertex & 0x7FFFFFFF);  // fixed below if too large
            texU[f][k] = c.u;
            texV[f][k] = c.v;
        }
    }
    if (bigIndex) {
        // Dense numbering in order of first use: at most PoolCapacity() distinct indices.
        stats.renumbered = true;
        std::unordered_map<std::uint32_t, int> renumber;
        renumber.reserve(std::size_t(PoolCapacity()));
        for (int f = 0; f < faceCount; ++f) {
            const auto corners = mesh->FaceCorners(std::size_t(f));
            for (int k = 0; k < vertexCount[f]; ++k) {
                const auto [it, inserted] = renumber.try_emplace(corners.Vertex(std::size_t(k)),
                                                                 static_cast<int>(renumber.size()));
                vertexIndex[f][k] = it->second;
            }
        }
    }
    for (int f = 0; f < faceCount; ++f) {
        const rm::MeshBuilder::FaceRecord& rec = faces[std::size_t(f)];
        faceTexture[f] = mesh->TextureOf(std::size_t(f));
        faceColor[f] = FaceColorOf(rec.color);
    }
    meshQuality = mesh->GetQuality();
    ClearSelectionOutsideFaces();
    return stats;
}

void FaceTable::ClearSelectionOutsideFaces() {
    for (int f = 0; f < maxFaces_; ++f) {
        const int keep = f < faceCount ? CornersOf(f) : 0;
        std::fill(std::begin(selected[f]) + keep, std::end(selected[f]), 0);
    }
}

void FaceTable::ClearSelection() {
    for (int f = 0; f < maxFaces_; ++f) std::fill(selected[f].begin(), selected[f].end(), 0);
}

bool FaceTable::CheckInvariants() const {
    if (faceCount < 0 || faceCount > maxFaces_) return false;
    for (int f = 0; f < maxFaces_; ++f) {
        const int n = f < faceCount ? vertexCount[f] : 0;
        if (n < 0 || n > maxCorners_) return false;
        for (int k = 0; k < maxCorners_; ++k) {
            if (selected[f][k] != 0 && (k >= n || selected[f][k] != 1)) return false;
            if (k < n && (vertexIndex[f][k] < 0 || vertexIndex[f][k] >= PoolCapacity()))
                return false;
        }
    }
    return true;
}

bool FaceTable::RebuildMesh(ModelHost& host) {
    if (!host.m_pD3DRoot || !host.m_pModelFrame) return false;
    rm::MeshBuilderPtr mesh = host.m_pD3DRoot->CreateMeshBuilder();
    if (!mesh) return false;
    const std::shared_ptr<rm::Face> scratch = host.m_pD3DRoot->CreateFace();
    if (!scratch) return false;

    // One walk: fill the pool (a later corner wins a shared index) and the face-data list.
    rm::FaceDataList faceData;
    faceData.Reserve(std::size_t(faceCount) * std::size_t(1 + maxCorners_) + 1);
    unsigned largest = 0;
    bool any = false;
    for (int f = 0; f < faceCount; ++f) {
        // A face without corners would end the list early: it is left out of the mesh.
        if (vertexCount[f] <= 0) continue;
        if (vertexCount[f] > maxCorners_) return false;
        for (int k = 0; k < vertexCount[f]; ++k) {
            const int index = vertexIndex[f][k];
            if (index < 0 || index >= PoolCapacity()) return false;  // never indexes the pool
            vertexPool[index] = position[f][k];
            largest = std::max(largest, static_cast<unsigned>(index));
            any = true;
        }
        faceData.AddFace({static_cast<const int*>(vertexIndex[f]), std::size_t(vertexCount[f])});
    }
    faceData.Finish();
    poolVertexCount = any ? static_cast<int>(largest) + 1 : 0;
    // An empty table still passes one (unused) pool entry, as the table always did.
    const int passed = std::max(poolVertexCount, 1);
    if (!mesh->AddFaces({vertexPool.get(), std::size_t(passed)}, {}, faceData.Data())) return false;
    poolVertexCount = passed;

    CopyAppearance(*mesh);
    mesh->GenerateNormals(REBUILD_CREASE_ANGLE, rm::GENERATENORMALS_USECREASEANGLE);
    mesh->SetQuality(meshQuality);
    mesh->SetPerspective(true);

    if (host.m_pMesh) host.m_pModelFrame->DeleteVisual(host.m_pMesh);
    host.m_pMesh = std::move(mesh);
    host.m_pModelFrame->AddVisual(host.m_pMesh);
    return true;
}

void FaceTable::CopyAppearance(rm::MeshBuilder& mesh) const {
    std::size_t meshFace = 0;
    for (int f = 0; f < faceCount; ++f) {
        if (vertexCount[f] <= 0) continue;  // left out of the mesh
        const std::size_t mf = meshFace++;
        rm::MeshBuilder::FaceRecord& rec = mesh.MutableFaceRecord(mf);
        rec.color = ToColor(faceColor[f]);
        mesh.SetFaceTexture(mf, faceTexture[f]);
        const std::size_t n = mesh.FaceRecords()[mf].cornerCount;
        for (std::size_t k = 0; k < n; ++k)
            mesh.SetCornerTextureCoordinates(mf, k, texU[f][k], texV[f][k]);
    }
}

namespace {

// The indices a new polygon's numbering must respect: the largest in use (0 for an empty
// table), counting the vertices the points snapped to, and whether any lies outside the
// pool.
struct IndexUse {
    int largest = 0;
    bool outside = false;
    int newPoints = 0;  // points that become vertices of their own
};

// False when a face has more corners than the table holds.
bool ScanIndexUse(const FaceTable& t, std::span<const int> pointVertex, IndexUse& use) {
    const auto note = [&](int index) {
        if (index < 0 || index >= t.PoolCapacity()) {
            use.outside = true;
        } else {
            use.largest = std::max(use.largest, index);
        }
    };
    for (int f = 0; f < t.faceCount; ++f) {
        if (t.vertexCount[f] > t.CornerCapacity()) return false;
        for (int k = 0; k < t.vertexCount[f]; ++k) note(t.vertexIndex[f][k]);
    }
    for (const int marker : pointVertex) {
        if (marker == POLY_NEW_VERTEX) {
            ++use.newPoints;
        } else {
            note(marker);
        }
    }
    return true;
}

// The vertices' numbers in the new pool: kept as they are, or (dense) renumbered in order
// of first use.
class VertexNumbering {
  public:
    explicit VertexNumbering(bool dense) : dense_(dense) {}
    bool Dense() const { return dense_; }
    int Of(int index) {
        if (!dense_) return index;
        return renumber_.try_emplace(index, static_cast<int>(renumber_.size())).first->second;
    }
    void Reserve(int count) { renumber_.reserve(std::size_t(count)); }
    int Count() const { return static_cast<int>(renumber_.size()); }

  private:
    bool dense_;
    std::unordered_map<int, int> renumber_;
};

// Gives every vertex in use its number, the faces' first and then the snapped points', and
// returns the first number free for the new points.
int NumberDensely(const FaceTable& t, std::span<const int> pointVertex,
                  VertexNumbering& numbering) {
    numbering.Reserve(t.PoolCapacity());
    for (int f = 0; f < t.faceCount; ++f) {
        for (int k = 0; k < t.vertexCount[f]; ++k) numbering.Of(t.vertexIndex[f][k]);
    }
    for (const int marker : pointVertex) {
        if (marker != POLY_NEW_VERTEX) numbering.Of(marker);
    }
    return numbering.Count();
}

// The pool and the face-data list of the table's faces (renumbered) and the new polygon
// (corners `assigned`) after them.
void BuildPoolAndFaceData(const FaceTable& t, std::span<const rm::Vector> points,
                          const int* assigned, VertexNumbering& numbering,
                          std::vector<rm::Vector>& pool, std::vector<std::int32_t>& faceData) {
    const int n = static_cast<int>(points.size());
    faceData.reserve(std::size_t(t.faceCount + 1) * std::size_t(1 + t.CornerCapacity()) + 1);
    for (int f = 0; f < t.faceCount; ++f) {
        if (t.vertexCount[f] <= 0) continue;  // would end the list early
        faceData.push_back(t.vertexCount[f]);
        for (int k = 0; k < t.vertexCount[f]; ++k) {
            const int index = numbering.Of(t.vertexIndex[f][k]);
            pool[std::size_t(index)] = t.position[f][k];
            faceData.push_back(index);
        }
    }
    faceData.push_back(n);
    for (int i = 0; i < n; ++i) {
        pool[std::size_t(assigned[i])] = points[std::size_t(i)];
        faceData.push_back(assigned[i]);
    }
    faceData.push_back(0);
}

}  // namespace

AddPolygonResult FaceTable::AddPolygon(ModelHost& host, std::span<const rm::Vector> points,
                                       std::span<int> pointVertex) {
    const int n = static_cast<int>(points.size());
    if (n < 1 || n > maxCorners_ || pointVertex.size() != points.size()) {
        return AddPolygonResult::Refused;
    }
    if (faceCount >= maxFaces_) return AddPolygonResult::TableFull;
    if (!host.m_pD3DRoot || !host.m_pModelFrame) return AddPolygonResult::Refused;

    IndexUse use;
    if (!ScanIndexUse(*this, pointVertex, use)) return AddPolygonResult::Refused;

    // Numbering: new points after the largest index, unless that runs past the pool; then
    // every vertex is numbered densely in order of first use, the new points last.
    VertexNumbering numbering(use.outside || use.largest + use.newPoints >= PoolCapacity());
    int next = use.largest + 1;
    if (numbering.Dense()) {
        next = NumberDensely(*this, pointVertex, numbering);
        if (next + use.newPoints > PoolCapacity()) return AddPolygonResult::TooManyVertices;
    }
    int assigned[MAX_FACE_VERTICES] = {};
    for (int i = 0; i < n; ++i) {
        const int marker = pointVertex[std::size_t(i)];
        assigned[i] = marker == POLY_NEW_VERTEX ? next++ : numbering.Of(marker);
    }
    const int poolSize = next;  // one past the last index given

    // The pool and the face-data list, built aside: a refused list changes nothing.
    std::vector<rm::Vector> pool(static_cast<std::size_t>(poolSize));
    std::vector<std::int32_t> faceData;
    BuildPoolAndFaceData(*this, points, assigned, numbering, pool, faceData);

    rm::MeshBuilderPtr mesh = host.m_pD3DRoot->CreateMeshBuilder();
    if (!mesh || !mesh->AddFaces(pool, {}, faceData)) return AddPolygonResult::Refused;
    CopyAppearance(*mesh);
    // A fresh mesh would fall back to the default quality: keep the user's choice.
    mesh->SetQuality(meshQuality);
    mesh->SetPerspective(true);

    if (host.m_pMesh) host.m_pModelFrame->DeleteVisual(host.m_pMesh);
    host.m_pMesh = std::move(mesh);
    host.m_pModelFrame->AddVisual(host.m_pMesh);
    for (int i = 0; i < n; ++i) pointVertex[std::size_t(i)] = assigned[i];
    return AddPolygonResult::Added;
}

void FaceTable::Clear() {
    for (int f = 0; f < maxFaces_; ++f) faceMark[f] = 0;
    ClearSelection();
    poolVertexCount = 0;
    AllocateHeapArrays();
}

template <typename Change>
void FaceTable::ApplyToTargets(Change change) {
    bool anyTarget = false;
    const int faces = Faces();
    for (int f = 0; f < faces; ++f) {
        int count = 0;
        for (int k = 0; k < CornersOf(f); ++k) count += selected[f][k] == 1 ? 1 : 0;
        if (count == CornersOf(f)) {
            faceMark[f] = 0;
            anyTarget = true;
        }
    }
    for (int f = 0; f < faces; ++f) {
        if (!anyTarget) {
            change(faceColor[f]);
        } else if (faceMark[f] == 0) {
            change(faceColor[f]);
            faceMark[f] = 1;
        }
    }
}

FaceTable::TargetLook FaceTable::TargetsLook() const {
    bool anyTarget = false;
    const auto isTarget = [this](int f) {
        for (int k = 0; k < CornersOf(f); ++k) {
            if (selected[f][k] != 1) return false;
        }
        return true;
    };
    for (int f = 0; f < Faces() && !anyTarget; ++f) anyTarget = isTarget(f);
    TargetLook result;
    bool first = true;
    for (int f = 0; f < Faces(); ++f) {
        if (anyTarget && !isTarget(f)) continue;
        const FaceColor& c = faceColor[f];
        if (first) {
            result = {c, true, true};
            first = false;
            continue;
        }
        const FaceColor& s = result.look;
        result.sameColor =
            result.sameColor && c.red == s.red && c.green == s.green && c.blue == s.blue;
        result.sameAlpha = result.sameAlpha && c.alpha == s.alpha;
    }
    return result;
}

void FaceTable::ApplyColor(rm::ColorRef colorref) {
    ApplyToTargets([colorref](FaceColor& c) {
        c.red = rm::RedOf(colorref);
        c.green = rm::GreenOf(colorref);
        c.blue = rm::BlueOf(colorref);
    });
}

void FaceTable::ApplyTransparency(int t) {
    const int alpha = 255 - std::clamp(t, 0, 255);
    ApplyToTargets([alpha](FaceColor& c) { c.alpha = alpha; });
}

}  // namespace model
