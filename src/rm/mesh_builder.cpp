#include "rm/mesh_builder.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <new>

#include "base/big_buffer.h"

namespace rm {

Vector Normalized(const Vector& v) {
    const float len = std::sqrt(Dot(v, v));
    if (len == 0.0f || !std::isfinite(len)) return Vector{};
    return {v.x / len, v.y / len, v.z / len};
}

std::uint8_t ChannelToByte(float value) {
    if (!(value > 0.0f)) return 0;  // also NaN
    if (value >= 1.0f) return 255;
    return static_cast<std::uint8_t>(std::lround(value * 255.0f));
}

// ---------------------------------------------------------------------------------------
// Face handle

bool Face::IsValid() const {
    return mesh_ != nullptr && index_ < mesh_->faces_.size();
}

int Face::GetVertexCount() const {
    return IsValid() ? static_cast<int>(mesh_->faces_[index_].cornerCount) : 0;
}

bool Face::GetVertex(int k, Vector* position, Vector* normal) const {
    if (!IsValid() || k < 0 || std::uint32_t(k) >= mesh_->faces_[index_].cornerCount) return false;
    const MeshBuilder::Corner c = mesh_->FaceCorners(index_)[std::size_t(k)];
    if (position) *position = mesh_->vertices_[c.vertex];
    if (normal) *normal = c.normal < mesh_->normals_.size() ? mesh_->normals_[c.normal] : Vector{};
    return true;
}

long long Face::GetVertexIndex(int k) const {
    if (!IsValid() || k < 0 || std::uint32_t(k) >= mesh_->faces_[index_].cornerCount) return -1;
    return mesh_->FaceCorners(index_).Vertex(std::size_t(k));
}

bool Face::GetTextureCoordinates(int k, float* u, float* v) const {
    if (!IsValid() || k < 0 || std::uint32_t(k) >= mesh_->faces_[index_].cornerCount) return false;
    const MeshBuilder::Corner c = mesh_->FaceCorners(index_)[std::size_t(k)];
    if (u) *u = c.u;
    if (v) *v = c.v;
    return true;
}

bool Face::SetTextureCoordinates(int k, float u, float v) {
    if (!IsValid() || k < 0 || std::uint32_t(k) >= mesh_->faces_[index_].cornerCount) return false;
    mesh_->SetCornerTextureCoordinates(index_, std::size_t(k), u, v);
    return true;
}

Color Face::GetColor() const {
    return IsValid() ? mesh_->faces_[index_].color : 0;
}

bool Face::SetColor(Color color) {
    if (!IsValid()) return false;
    mesh_->faces_[index_].color = color;
    return true;
}

bool Face::SetColorRGB(float red, float green, float blue) {
    if (!IsValid()) return false;
    auto& c = mesh_->faces_[index_].color;
    c = MakeColor(ColorAlpha(c), ChannelToByte(red), ChannelToByte(green), ChannelToByte(blue));
    return true;
}

TexturePtr Face::GetTexture() const {
    return IsValid() ? mesh_->TextureOf(index_) : nullptr;
}

bool Face::SetTexture(TexturePtr texture) {
    if (!IsValid()) return false;
    mesh_->SetFaceTexture(index_, std::move(texture));
    return true;
}

namespace {

// Newell's method: robust for any planar or near-planar polygon, zero when degenerate.
Vector PolygonNormal(const std::vector<Vector>& verts, const MeshBuilder::CornerRange& cs) {
    Vector n{};
    const std::size_t count = cs.size();
    if (count < 3) return n;
    const Vector* a = &verts[cs.Vertex(count - 1)];
    for (std::size_t i = 0; i < count; ++i) {
        const Vector* b = &verts[cs.Vertex(i)];
        n.x += (a->y - b->y) * (a->z + b->z);
        n.y += (a->z - b->z) * (a->x + b->x);
        n.z += (a->x - b->x) * (a->y + b->y);
        a = b;
    }
    return Normalized(n);
}

}  // namespace

Vector Face::GetNormal() const {
    if (!IsValid()) return {};
    return PolygonNormal(mesh_->vertices_, mesh_->FaceCorners(index_));
}

// ---------------------------------------------------------------------------------------
// Mesh builder

namespace {

// The faces and corners of a face-data list of `step` values a corner, counted up to its
// end or to the first count that does not fit.
std::pair<std::size_t, std::size_t> CountListFaces(std::span<const std::int32_t> faceData,
                                                   std::size_t step) {
    std::size_t listFaces = 0, listCorners = 0;
    for (std::size_t i = 0; i < faceData.size() && faceData[i] > 0;) {
        const auto n = std::size_t(faceData[i]);
        if (n * step > faceData.size() - i - 1) break;
        i += 1 + n * step;
        ++listFaces;
        listCorners += n;
    }
    return {listFaces, listCorners};
}

}  // namespace

namespace {

constexpr std::size_t kIndexLimit = std::numeric_limits<std::uint32_t>::max() - 1;

}  // namespace

bool MeshBuilder::AppendFaceList(std::span<const std::int32_t> faceData, std::size_t vertexCount,
                                 std::size_t normalCount, std::vector<Face>* added) {
    const bool withNormals = normalCount != std::size_t(-1);
    const std::size_t step = withNormals ? 2 : 1;
    const auto vertexBase = static_cast<std::uint32_t>(vertices_.size() - vertexCount);
    const auto normalBase =
        static_cast<std::uint32_t>(normals_.size() - (withNormals ? normalCount : 0));
    std::vector<std::uint32_t> corners, normals;  // of one face, as indices of the mesh
    const std::int32_t* p = faceData.data();
    const std::int32_t* const end = p + faceData.size();
    for (;;) {
        if (p == end) return false;  // no closing 0
        const std::int32_t n = *p++;
        if (n == 0) return true;
        if (n < 0 || std::size_t(n) * step > std::size_t(end - p)) return false;
        corners.clear();
        normals.clear();
        for (std::int32_t k = 0; k < n; ++k, p += step) {
            // Negative indices become huge as unsigned and fail the same check.
            if (p[0] < 0 || static_cast<std::uint64_t>(p[0]) >= vertexCount) return false;
            corners.push_back(vertexBase + static_cast<std::uint32_t>(p[0]));
            if (!withNormals) continue;
            if (p[1] < 0 || static_cast<std::uint64_t>(p[1]) >= normalCount) return false;
            normals.push_back(normalBase + static_cast<std::uint32_t>(p[1]));
        }
        if (!(withNormals ? AppendFace(corners, normals) : AppendFace(corners, kNoNormal))) {
            return false;
        }
        if (added) added->emplace_back(this, faces_.size() - 1);
    }
}

bool MeshBuilder::AddFaces(std::span<const Vector> vertices, std::span<const Vector> normals,
                           std::span<const std::int32_t> faceData, std::vector<Face>* added) {
    const bool withNormals = !normals.empty();
    if (vertices_.size() + vertices.size() > kIndexLimit ||
        normals_.size() + normals.size() > kIndexLimit) {
        return false;
    }
    const std::size_t oldVertices = vertices_.size();
    const std::size_t oldNormals = normals_.size();
    const std::size_t oldFaces = faces_.size();
    const std::size_t oldCorners = cornerVertices_.size();
    const std::size_t oldAdded = added ? added->size() : 0;
    // One pass: faces are appended while the list is checked; a bad list takes them back.
    auto fail = [&] {
        vertices_.resize(oldVertices);
        normals_.resize(oldNormals);
        faces_.resize(oldFaces);
        TrimCorners(oldCorners);
        if (added) added->resize(oldAdded);
        return false;
    };
    try {
        // Room for exactly the faces and corners of the list (a first, cheap walk over its
        // counts), so that neither array grows by copying.
        const auto [listFaces, listCorners] = CountListFaces(faceData, withNormals ? 2 : 1);
        faces_.reserve(oldFaces + listFaces);
        cornerVertices_.reserve(oldCorners + listCorners);
        if (added) added->reserve(oldAdded + listFaces);
        vertices_.insert(vertices_.end(), vertices.begin(), vertices.end());
        normals_.insert(normals_.end(), normals.begin(), normals.end());
        if (!AppendFaceList(faceData, vertices.size(),
                            withNormals ? normals.size() : std::size_t(-1), added)) {
            return fail();
        }
    } catch (const std::bad_alloc&) {
        return fail();
    }
    return true;
}

namespace {

// Reserves room for `extra` more values; a fresh buffer of a big mesh goes to huge pages.
// Only a hint: when the room cannot be had, the array grows as values come. A reader that
// reserves piece by piece (a glTF primitive at a time) still sees the array at least
// double, so that it is not copied once a piece.
template <typename T>
void ReserveMore(std::vector<T>& v, std::size_t extra) {
    if (v.capacity() - v.size() >= extra || extra > v.max_size() - v.size()) return;
    try {
        v.reserve(std::max(v.size() + extra, std::min(2 * v.capacity(), v.max_size())));
    } catch (const std::bad_alloc&) {
        return;
    }
    base::AdviseHugePages(v.data() + v.size(), (v.capacity() - v.size()) * sizeof(T));
}

}  // namespace

void MeshBuilder::ReserveFaces(std::size_t faces, std::size_t corners) {
    ReserveMore(faces_, faces);
    ReserveMore(cornerVertices_, corners);
}

void MeshBuilder::ReserveVertices(std::size_t vertices, std::size_t normals) {
    ReserveMore(vertices_, vertices);
    ReserveMore(normals_, normals);
}

void MeshBuilder::SplitNormals() {
    cornerNormals_.reserve(cornerVertices_.capacity());
    cornerNormals_.resize(cornerVertices_.size());
    for (const FaceRecord& f : faces_) {
        std::fill_n(cornerNormals_.begin() + std::ptrdiff_t(f.firstCorner), f.cornerCount,
                    f.sharedNormal);
    }
}

void MeshBuilder::SplitUv() {
    cornerUv_.reserve(cornerVertices_.capacity());
    cornerUv_.resize(cornerVertices_.size());
}

void MeshBuilder::TrimCorners(std::size_t count) {
    cornerVertices_.resize(count);
    if (cornerNormals_.size() > count) cornerNormals_.resize(count);
    if (cornerUv_.size() > count) cornerUv_.resize(count);
}

bool MeshBuilder::AppendFace(std::span<const std::uint32_t> vertices, std::uint32_t normal) {
    const std::size_t n = vertices.size();
    if (n == 0 || (normal != kNoNormal && normal >= normals_.size())) return false;
    if (n > kIndexLimit - cornerVertices_.size()) return false;
    const std::size_t vertexCount = vertices_.size();
    for (std::uint32_t v : vertices) {
        if (v >= vertexCount) return false;
    }
    const std::size_t first = cornerVertices_.size();
    try {
        cornerVertices_.insert(cornerVertices_.end(), vertices.begin(), vertices.end());
        if (!cornerNormals_.empty()) cornerNormals_.insert(cornerNormals_.end(), n, normal);
        if (!cornerUv_.empty()) SplitUv();
        NewFace(first, n, normal);
    } catch (...) {
        TrimCorners(first);  // out of memory: the mesh stays as it was, the caller fails
        throw;
    }
    return true;
}

bool MeshBuilder::AppendFace(std::span<const std::uint32_t> vertices,
                             std::span<const std::uint32_t> normals) {
    const std::size_t n = vertices.size();
    if (n == 0 || normals.size() != n) return false;
    bool same = true;
    for (std::size_t k = 0; k < n; ++k) {
        if (normals[k] != kNoNormal && normals[k] >= normals_.size()) return false;
        same = same && normals[k] == normals[0];
    }
    if (same) return AppendFace(vertices, normals[0]);
    if (n > kIndexLimit - cornerVertices_.size()) return false;
    for (std::uint32_t v : vertices) {
        if (v >= vertices_.size()) return false;
    }
    const std::size_t first = cornerVertices_.size();
    try {
        if (cornerNormals_.empty()) SplitNormals();
        cornerVertices_.insert(cornerVertices_.end(), vertices.begin(), vertices.end());
        cornerNormals_.insert(cornerNormals_.end(), normals.begin(), normals.end());
        if (!cornerUv_.empty()) SplitUv();
        NewFace(first, n, kNoNormal);
    } catch (...) {
        TrimCorners(first);
        throw;
    }
    return true;
}

void MeshBuilder::NewFace(std::size_t firstCorner, std::size_t n, std::uint32_t sharedNormal) {
    FaceRecord& face = faces_.emplace_back();
    face.firstCorner = static_cast<std::uint32_t>(firstCorner);
    face.cornerCount = static_cast<std::uint32_t>(n);
    face.sharedNormal = sharedNormal;
}

void MeshBuilder::SetCornerTextureCoordinates(std::size_t f, std::size_t k, float u, float v) {
    if (cornerUv_.empty()) {
        if (std::bit_cast<std::uint32_t>(u) == 0 && std::bit_cast<std::uint32_t>(v) == 0) return;
        SplitUv();
    }
    cornerUv_[faces_[f].firstCorner + k] = {u, v};
}

bool MeshBuilder::AddMeshBuilder(const MeshBuilder& other) {
    if (&other == this) {
        const MeshBuilder copy(other);
        return AddMeshBuilder(copy);
    }
    if (vertices_.size() + other.vertices_.size() > kIndexLimit ||
        normals_.size() + other.normals_.size() > kIndexLimit ||
        cornerVertices_.size() + other.cornerVertices_.size() > kIndexLimit) {
        return false;
    }
    std::vector<std::uint32_t> slots;
    try {
        const std::size_t corners = cornerVertices_.size() + other.cornerVertices_.size();
        vertices_.reserve(vertices_.size() + other.vertices_.size());
        normals_.reserve(normals_.size() + other.normals_.size());
        faces_.reserve(faces_.size() + other.faces_.size());
        cornerVertices_.reserve(corners);
        if (!other.cornerNormals_.empty() && cornerNormals_.empty()) SplitNormals();
        if (!cornerNormals_.empty()) cornerNormals_.reserve(corners);
        if (!other.cornerUv_.empty() && cornerUv_.empty()) SplitUv();
        if (!cornerUv_.empty()) cornerUv_.reserve(corners);
        slots = HoldSlotsOf(other);
    } catch (const std::bad_alloc&) {
        return false;
    }
    AppendCornersOf(other, slots);
    if (!material_) material_ = other.material_;
    return true;
}

void MeshBuilder::AppendCornersOf(const MeshBuilder& other, std::span<const std::uint32_t> slots) {
    const auto vertexBase = static_cast<std::uint32_t>(vertices_.size());
    const auto normalBase = static_cast<std::uint32_t>(normals_.size());
    const auto cornerBase = static_cast<std::uint32_t>(cornerVertices_.size());
    const auto shift = [normalBase](std::uint32_t n) {
        return n == kNoNormal ? n : n + normalBase;
    };
    vertices_.insert(vertices_.end(), other.vertices_.begin(), other.vertices_.end());
    normals_.insert(normals_.end(), other.normals_.begin(), other.normals_.end());
    for (std::uint32_t v : other.cornerVertices_) cornerVertices_.push_back(v + vertexBase);
    if (!cornerNormals_.empty()) {
        if (other.cornerNormals_.empty()) {
            for (const FaceRecord& f : other.faces_) {
                cornerNormals_.insert(cornerNormals_.end(), f.cornerCount, shift(f.sharedNormal));
            }
        } else {
            for (std::uint32_t n : other.cornerNormals_) cornerNormals_.push_back(shift(n));
        }
    }
    if (!other.cornerUv_.empty()) {
        cornerUv_.insert(cornerUv_.end(), other.cornerUv_.begin(), other.cornerUv_.end());
    } else if (!cornerUv_.empty()) {
        SplitUv();
    }
    for (FaceRecord f : other.faces_) {
        f.firstCorner += cornerBase;
        f.sharedNormal = shift(f.sharedNormal);
        f.texture = FaceTexture(slots[f.texture.slot_]);
        faces_.push_back(f);
    }
}

bool MeshBuilder::AddMeshBuilder(MeshBuilder&& other) {
    if (&other == this || !faces_.empty() || !vertices_.empty() || !normals_.empty() ||
        !textures_.empty()) {
        return AddMeshBuilder(static_cast<const MeshBuilder&>(other));
    }
    textures_.swap(other.textures_);
    textureSlots_.swap(other.textureSlots_);
    vertices_.swap(other.vertices_);
    normals_.swap(other.normals_);
    faces_.swap(other.faces_);
    cornerVertices_.swap(other.cornerVertices_);
    cornerNormals_.swap(other.cornerNormals_);
    cornerUv_.swap(other.cornerUv_);
    if (!material_) material_ = other.material_;
    other.vertices_.clear();
    other.normals_.clear();
    other.faces_.clear();
    other.cornerVertices_.clear();
    other.cornerNormals_.clear();
    other.cornerUv_.clear();
    return true;
}

std::vector<Face> MeshBuilder::GetFaces() {
    std::vector<Face> out;
    out.reserve(faces_.size());
    for (std::size_t i = 0; i < faces_.size(); ++i) out.emplace_back(this, i);
    return out;
}

bool MeshBuilder::DeleteFace(int i) {
    if (i < 0 || std::size_t(i) >= faces_.size()) return false;
    const FaceRecord gone = faces_[std::size_t(i)];
    const auto erase = [&gone](auto& list) {
        if (list.empty()) return;
        list.erase(list.begin() + std::ptrdiff_t(gone.firstCorner),
                   list.begin() + std::ptrdiff_t(gone.firstCorner + gone.cornerCount));
    };
    erase(cornerVertices_);
    erase(cornerNormals_);
    erase(cornerUv_);
    faces_.erase(faces_.begin() + i);
    for (std::size_t f = std::size_t(i); f < faces_.size(); ++f) {
        faces_[f].firstCorner -= gone.cornerCount;
    }
    return true;
}

namespace {

// The faces around each vertex as one flat list (a counting sort by vertex): the faces of
// vertex v are around[start[v]] .. around[start[v + 1] - 1]. A face that names a vertex
// twice is listed once.
struct FacesAround {
    std::vector<std::uint32_t> start;
    std::vector<std::uint32_t> around;
};

FacesAround FacesAroundVertices(const MeshBuilder& mesh, std::size_t vertexCount) {
    constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
    const std::size_t faceCount = mesh.FaceRecords().size();
    FacesAround out;
    out.start.assign(vertexCount + 1, 0);
    std::vector<std::uint32_t> lastFace(vertexCount, kNone);
    const std::vector<std::uint32_t>& corners = mesh.CornerVertices();
    for (std::size_t f = 0; f < faceCount; ++f) {
        const MeshBuilder::FaceRecord& rec = mesh.FaceRecords()[f];
        for (std::size_t i = rec.firstCorner; i < rec.firstCorner + rec.cornerCount; ++i) {
            const std::uint32_t v = corners[i];
            if (lastFace[v] == f) continue;
            lastFace[v] = static_cast<std::uint32_t>(f);
            ++out.start[v + 1];
        }
    }
    for (std::size_t v = 0; v < vertexCount; ++v) out.start[v + 1] += out.start[v];
    out.around.resize(out.start[vertexCount]);
    std::vector<std::uint32_t> fill(out.start.begin(), out.start.end() - 1);
    std::fill(lastFace.begin(), lastFace.end(), kNone);
    for (std::size_t f = 0; f < faceCount; ++f) {
        const MeshBuilder::FaceRecord& rec = mesh.FaceRecords()[f];
        for (std::size_t i = rec.firstCorner; i < rec.firstCorner + rec.cornerCount; ++i) {
            const std::uint32_t v = corners[i];
            if (lastFace[v] == f) continue;
            lastFace[v] = static_cast<std::uint32_t>(f);
            out.around[fill[v]++] = static_cast<std::uint32_t>(f);
        }
    }
    return out;
}

}  // namespace

void MeshBuilder::GenerateNormals(float crease, unsigned flags) {
    const std::size_t faceCount = faces_.size();
    const std::size_t vertexCount = vertices_.size();
    std::vector<Vector> faceNormal(faceCount);
    for (std::size_t f = 0; f < faceCount; ++f) {
        faceNormal[f] = PolygonNormal(vertices_, FaceCorners(f));
    }

    const FacesAround adjacency = FacesAroundVertices(*this, vertexCount);
    const std::vector<std::uint32_t>& start = adjacency.start;
    const std::vector<std::uint32_t>& around = adjacency.around;

    const bool useCrease = (flags & GENERATENORMALS_USECREASEANGLE) != 0;
    const float cosCrease = std::cos(crease);
    normals_.assign(cornerVertices_.size(), Vector{});
    cornerNormals_.resize(cornerVertices_.size());
    // Corners at one vertex whose faces have the same normal get the same result: remember
    // the last corner per vertex and its face, so that many coplanar faces around a vertex
    // stay linear.
    constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
    std::vector<std::uint32_t> lastCorner(vertexCount, kNone);
    std::vector<std::uint32_t> lastCornerFace(vertexCount, kNone);
    for (std::size_t f = 0; f < faceCount; ++f) {
        const Vector own = faceNormal[f];
        const bool ownDegenerate = own == Vector{};
        const FaceRecord& rec = faces_[f];
        for (std::size_t k = 0; k < rec.cornerCount; ++k) {
            const auto corner = static_cast<std::uint32_t>(rec.firstCorner + k);
            const std::uint32_t vertex = cornerVertices_[corner];
            cornerNormals_[corner] = corner;
            if (start[vertex + 1] - start[vertex] == 1) {  // only this face: its own normal
                normals_[corner] = own;
                continue;
            }
            const std::uint32_t prev = lastCorner[vertex];
            const std::uint32_t prevFace = lastCornerFace[vertex];
            lastCorner[vertex] = corner;
            lastCornerFace[vertex] = static_cast<std::uint32_t>(f);
            if (prev != kNone && !ownDegenerate && faceNormal[prevFace] == own) {
                normals_[corner] = normals_[prev];
                continue;
            }
            Vector sum{};
            for (std::uint32_t i = start[vertex]; i < start[vertex + 1]; ++i) {
                const Vector& n = faceNormal[around[i]];
                if (useCrease && !ownDegenerate && around[i] != f && Dot(n, own) < cosCrease) {
                    continue;
                }
                sum = sum + n;
            }
            normals_[corner] = Normalized(sum);
        }
    }
}

void MeshBuilder::Scale(float sx, float sy, float sz) {
    for (Vector& v : vertices_) {
        v.x *= sx;
        v.y *= sy;
        v.z *= sz;
    }
}

Box MeshBuilder::GetBox() const {
    // A mark for each vertex a corner names, then one walk over the marked vertices in
    // order: much cheaper than reading a vertex position for every corner.
    std::vector<std::uint64_t> used((vertices_.size() + 63) / 64, 0);
    for (std::uint32_t v : cornerVertices_) used[v >> 6] |= std::uint64_t(1) << (v & 63);
    Box box;
    bool first = true;
    const auto take = [&](const Vector& v) {
        box.min = {std::min(box.min.x, v.x), std::min(box.min.y, v.y), std::min(box.min.z, v.z)};
        box.max = {std::max(box.max.x, v.x), std::max(box.max.y, v.y), std::max(box.max.z, v.z)};
    };
    for (std::size_t w = 0; w < used.size(); ++w) {
        std::uint64_t bits = used[w];
        if (bits != 0 && first) {
            box.min = box.max = vertices_[w * 64 + std::size_t(std::countr_zero(bits))];
            first = false;
        }
        if (bits == ~std::uint64_t(0)) {
            for (std::size_t i = w * 64; i < w * 64 + 64; ++i) take(vertices_[i]);
            continue;
        }
        for (; bits != 0; bits &= bits - 1) {
            take(vertices_[w * 64 + std::size_t(std::countr_zero(bits))]);
        }
    }
    return box;
}

void MeshBuilder::SetColor(Color color) {
    for (FaceRecord& f : faces_) f.color = color;
}

void MeshBuilder::SetColorRGB(float red, float green, float blue) {
    for (std::size_t i = 0; i < faces_.size(); ++i) Face(this, i).SetColorRGB(red, green, blue);
}

void MeshBuilder::SetTexture(TexturePtr texture) {
    textures_.clear();
    textureSlots_.clear();
    const FaceTexture held = Hold(std::move(texture));
    for (FaceRecord& f : faces_) f.texture = held;
}

Texture* MeshBuilder::TextureAt(std::size_t f) const {
    const std::uint32_t slot = faces_[f].texture.slot_;
    return slot == 0 ? nullptr : textures_[slot - 1].get();
}

TexturePtr MeshBuilder::TextureOf(std::size_t f) const {
    const std::uint32_t slot = faces_[f].texture.slot_;
    return slot == 0 ? nullptr : textures_[slot - 1];
}

void MeshBuilder::SetFaceTexture(std::size_t f, TexturePtr texture) {
    faces_[f].texture = Hold(std::move(texture));
}

FaceTexture MeshBuilder::Hold(TexturePtr texture) {
    if (!texture) return {};
    if (const auto it = textureSlots_.find(texture.get()); it != textureSlots_.end()) {
        return FaceTexture(it->second);
    }
    if (textures_.size() >= 2 * faces_.size() + 16) DropUnusedTextures();
    return FaceTexture(Slot(std::move(texture)));
}

std::uint32_t MeshBuilder::Slot(TexturePtr texture) {
    const auto [it, added] =
        textureSlots_.try_emplace(texture.get(), std::uint32_t(textures_.size() + 1));
    if (!added) return it->second;
    try {
        textures_.push_back(std::move(texture));
    } catch (...) {
        textureSlots_.erase(it);
        throw;
    }
    return it->second;
}

void MeshBuilder::DropUnusedTextures() {
    // Worked out apart first, so that running out of memory leaves the faces as they were.
    std::vector<std::uint32_t> renumber(textures_.size() + 1, 0);
    std::vector<TexturePtr> kept;
    for (const FaceRecord& face : faces_) {
        const std::uint32_t slot = face.texture.slot_;
        if (slot == 0 || renumber[slot] != 0) continue;
        kept.push_back(textures_[slot - 1]);
        renumber[slot] = std::uint32_t(kept.size());
    }
    std::unordered_map<const Texture*, std::uint32_t> slots;
    for (std::size_t i = 0; i < kept.size(); ++i)
        slots.emplace(kept[i].get(), std::uint32_t(i + 1));
    for (FaceRecord& face : faces_) face.texture.slot_ = renumber[face.texture.slot_];
    textures_.swap(kept);
    textureSlots_.swap(slots);
}

std::vector<std::uint32_t> MeshBuilder::HoldSlotsOf(const MeshBuilder& other) {
    std::vector<std::uint32_t> slots(other.textures_.size() + 1, 0);
    for (std::size_t i = 0; i < other.textures_.size(); ++i)
        slots[i + 1] = Slot(other.textures_[i]);
    return slots;
}

TexturePtr MeshBuilder::GetTexture() const {
    return faces_.empty() ? nullptr : TextureOf(0);
}

}  // namespace rm
