// The mesh builder: the renderable copy of the model. Faces in insertion order, each with
// a colour, a texture and corners; corners name a shared vertex (position), a normal and
// their own texture coordinates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "rm/texture.h"
#include "rm/types.h"

namespace rm {

class MeshBuilder;

// A face's texture as the mesh keeps it: a slot in the mesh's own list of textures (0 for
// none). A million faces then cost four bytes and no reference count each. It is only ever
// copied between faces of one mesh (AddMeshBuilder renumbers the slots of the faces it
// takes); MeshBuilder::TextureAt and TextureOf give the texture, and a texture from
// elsewhere goes in through SetFaceTexture.
class FaceTexture {
  public:
    FaceTexture() = default;
    explicit operator bool() const { return slot_ != 0; }
    friend bool operator==(FaceTexture, FaceTexture) = default;

  private:
    friend class MeshBuilder;
    explicit FaceTexture(std::uint32_t slot) : slot_(slot) {}
    std::uint32_t slot_ = 0;
};

// A face of a mesh builder, as a handle: the mesh and the face's position in it. Deleting
// an earlier face moves the faces behind it down by one, so a handle then names the next
// face; handles are meant for the length of one operation. Calls on a handle whose face
// no longer exists fail (return false / 0 / zero values).
class Face {
  public:
    Face() = default;
    Face(MeshBuilder* mesh, std::size_t index) : mesh_(mesh), index_(index) {}

    bool IsValid() const;
    std::size_t Index() const { return index_; }

    int GetVertexCount() const;
    // Position and normal of corner k.
    bool GetVertex(int k, Vector* position, Vector* normal) const;
    // Shared-vertex index of corner k, or -1 for a corner that does not exist.
    long long GetVertexIndex(int k) const;
    bool GetTextureCoordinates(int k, float* u, float* v) const;
    bool SetTextureCoordinates(int k, float u, float v);

    Color GetColor() const;
    bool SetColor(Color color);
    // Colour from floats 0..1; alpha stays as it is.
    bool SetColorRGB(float red, float green, float blue);
    TexturePtr GetTexture() const;
    bool SetTexture(TexturePtr texture);

    // Unit normal of the face's plane (Newell's method); zero for a degenerate face.
    Vector GetNormal() const;

  private:
    MeshBuilder* mesh_ = nullptr;
    std::size_t index_ = 0;
};

class MeshBuilder {
  public:
    // A new mesh has no faces, quality Gouraud and perspective off, as the platform's
    // mesh builder had; a new face is opaque white (0xFFFFFFFF) without texture.
    static constexpr Color kDefaultFaceColor = 0xFFFFFFFFu;
    static constexpr Quality kDefaultQuality = Quality::Gouraud;
    static constexpr std::uint32_t kNoNormal = 0xFFFFFFFFu;

    // One corner of a face, as a value: its shared vertex, its normal (kNoNormal for none)
    // and its texture coordinates.
    struct Corner {
        std::uint32_t vertex = 0;
        std::uint32_t normal = kNoNormal;
        float u = 0.0f;
        float v = 0.0f;
    };
    struct FaceRecord {
        std::uint32_t firstCorner = 0;
        std::uint32_t cornerCount = 0;
        Color color = kDefaultFaceColor;
        // The normal of every corner of the face while the mesh keeps no normal per corner
        // (see CornerRange); kNoNormal for none.
        std::uint32_t sharedNormal = kNoNormal;
        FaceTexture texture;  // none: no texture
    };

    // The corners of one face, read as Corner values. The mesh keeps a corner as its
    // vertex index alone while every corner of a face has the face's normal and no mesh
    // corner has texture coordinates; the per-corner lists appear when they are needed.
    class CornerRange {
      public:
        class Iterator {
          public:
            using value_type = Corner;
            using difference_type = std::ptrdiff_t;
            Iterator() = default;
            Iterator(const CornerRange* range, std::size_t k) : range_(range), k_(k) {}
            Corner operator*() const { return (*range_)[k_]; }
            Iterator& operator++() {
                ++k_;
                return *this;
            }
            Iterator operator++(int) {
                Iterator old = *this;
                ++k_;
                return old;
            }
            friend bool operator==(const Iterator& a, const Iterator& b) { return a.k_ == b.k_; }

          private:
            const CornerRange* range_ = nullptr;
            std::size_t k_ = 0;
        };

        CornerRange() = default;
        CornerRange(const MeshBuilder& mesh, std::size_t face);
        std::size_t size() const { return count_; }
        bool empty() const { return count_ == 0; }
        Corner operator[](std::size_t k) const;
        std::uint32_t Vertex(std::size_t k) const { return vertices_[k]; }
        Iterator begin() const { return {this, 0}; }
        Iterator end() const { return {this, count_}; }

      private:
        const MeshBuilder* mesh_ = nullptr;
        const std::uint32_t* vertices_ = nullptr;
        std::size_t first_ = 0;
        std::size_t count_ = 0;
        std::uint32_t sharedNormal_ = kNoNormal;
    };

    MeshBuilder() = default;
    MeshBuilder(const MeshBuilder&) = default;
    MeshBuilder& operator=(const MeshBuilder&) = default;

    // Appends one face per entry of the face-data list, after the faces already there.
    // The list holds, for each face, its corner count n and then n vertex indices, or n
    // (vertex index, normal index) pairs when `normals` is not empty; a single 0 ends it.
    // Indices refer to `vertices` and `normals`, which are appended to the mesh's own
    // lists. A list with an index out of range, a negative count, a count larger than
    // what remains of the list, or no closing 0 is refused: false, and nothing changes.
    // Faces of 1 and 2 corners are accepted. `added`, when given, receives handles of the
    // new faces.
    bool AddFaces(std::span<const Vector> vertices, std::span<const Vector> normals,
                  std::span<const std::int32_t> faceData, std::vector<Face>* added = nullptr);

    // Building a new mesh face by face, for readers that fill it while they parse.
    // ReserveFaces makes room for that many more faces and corners (only a hint: more may
    // follow). AppendFace adds one face whose corners name vertices (and normals) already
    // in the mesh, given by their indices in Vertices() and Normals(): `normal` for every
    // corner (kNoNormal for none), or one normal index per corner. A face without corners,
    // or with an index out of range (kNoNormal aside), is refused: false, nothing added.
    // Running out of memory throws std::bad_alloc with nothing added.
    void ReserveFaces(std::size_t faces, std::size_t corners);
    void ReserveVertices(std::size_t vertices, std::size_t normals);
    bool AppendFace(std::span<const std::uint32_t> vertices, std::uint32_t normal = kNoNormal);
    bool AppendFace(std::span<const std::uint32_t> vertices,
                    std::span<const std::uint32_t> normals);

    // Appends every face of `other` (vertices, normals, colours, textures, texture
    // coordinates) after the faces already here; a mesh without a material takes the
    // other's. All or nothing.
    bool AddMeshBuilder(const MeshBuilder& other);
    // Same, but may take `other`'s storage instead of copying it (when this mesh holds
    // nothing yet); `other` is left empty or unchanged.
    bool AddMeshBuilder(MeshBuilder&& other);

    int GetFaceCount() const { return static_cast<int>(faces_.size()); }
    Face GetFace(int i) { return Face(this, static_cast<std::size_t>(i)); }
    std::vector<Face> GetFaces();
    // Removes face i; later faces move down by one. The face's vertices stay.
    bool DeleteFace(int i);
    bool DeleteFace(const Face& face) { return face.IsValid() && DeleteFace(int(face.Index())); }

    // Recomputes every corner normal. With GENERATENORMALS_USECREASEANGLE a corner's normal
    // is the normalised sum of the unit normals of the faces around its vertex whose normal
    // lies within `crease` radians of its own face's normal (its own face always counts);
    // without the flag every face around the vertex counts. Degenerate faces (zero normal)
    // add nothing, and their own corners take the sum of all faces around the vertex.
    void GenerateNormals(float crease, unsigned flags);

    void Scale(float sx, float sy, float sz);
    // Smallest box around every vertex that a face uses; a zero box when there is none.
    Box GetBox() const;

    // Whole-mesh colour and texture: set on every face.
    void SetColor(Color color);
    void SetColorRGB(float red, float green, float blue);
    void SetTexture(TexturePtr texture);
    // The texture of the first face, or null.
    TexturePtr GetTexture() const;
    void SetMaterial(MaterialPtr material) { material_ = std::move(material); }
    MaterialPtr GetMaterial() const { return material_; }
    void SetQuality(Quality quality) { quality_ = quality; }
    Quality GetQuality() const { return quality_; }
    void SetPerspective(bool on) { perspective_ = on; }
    bool GetPerspective() const { return perspective_; }

    // DirectX .x files (rm/xfile.cpp). Load appends the file's meshes; on failure nothing
    // is added and `error` says why. Save writes text with the given flags.
    bool Load(const std::string& path, std::string* error = nullptr);
    bool Save(const std::string& path, unsigned flags, std::string* error = nullptr) const;

    // Raw access for readers, writers and renderers.
    std::size_t GetVertexCount() const { return vertices_.size(); }
    const std::vector<Vector>& Vertices() const { return vertices_; }
    std::vector<Vector>& Vertices() { return vertices_; }
    const std::vector<Vector>& Normals() const { return normals_; }
    std::vector<Vector>& Normals() { return normals_; }
    const std::vector<FaceRecord>& FaceRecords() const { return faces_; }
    CornerRange FaceCorners(std::size_t f) const { return {*this, f}; }
    std::size_t GetCornerCount() const { return cornerVertices_.size(); }
    // Every face's corner vertices, face after face (face f's from FaceRecords()[f].firstCorner).
    const std::vector<std::uint32_t>& CornerVertices() const { return cornerVertices_; }
    // False when every corner has the texture coordinates (0, 0).
    bool HasTextureCoordinates() const { return !cornerUv_.empty(); }
    // The texture of face f (null for none), and setting it (the mesh then holds it).
    TexturePtr TextureOf(std::size_t f) const;
    Texture* TextureAt(std::size_t f) const;
    void SetFaceTexture(std::size_t f, TexturePtr texture);
    // Bulk edits of faces already in the mesh (same rules as the Face handle's setters;
    // f and k are not checked). A face record's sharedNormal is the mesh's own business.
    FaceRecord& MutableFaceRecord(std::size_t f) { return faces_[f]; }
    void SetCornerTextureCoordinates(std::size_t f, std::size_t k, float u, float v);

  private:
    friend class Face;

    // AddFaces' walk over its list, after the `vertexCount` vertices and `normalCount`
    // normals (-1: the list has no normal indices) at the end of the mesh's lists: false
    // for a bad list, with what it added left for the caller to take back.
    bool AppendFaceList(std::span<const std::int32_t> faceData, std::size_t vertexCount,
                        std::size_t normalCount, std::vector<Face>* added);
    // A new default face of the `n` corners from `firstCorner` on.
    void NewFace(std::size_t firstCorner, std::size_t n, std::uint32_t sharedNormal);
    // `texture` as a face's texture, held by the mesh.
    FaceTexture Hold(TexturePtr texture);
    // The slot of `texture`, held from now on (without dropping unused ones).
    std::uint32_t Slot(TexturePtr texture);
    // Keeps only the textures faces name, renumbering the faces' slots.
    void DropUnusedTextures();
    // This mesh's slot for each of `other`'s texture slots (held here from now on).
    std::vector<std::uint32_t> HoldSlotsOf(const MeshBuilder& other);
    // Takes the vertices, normals, corners and faces of `other` after this mesh's own (room
    // already made), its texture slots renumbered by `slots`.
    void AppendCornersOf(const MeshBuilder& other, std::span<const std::uint32_t> slots);

    // Texture coordinates of a corner.
    struct Uv {
        float u = 0.0f;
        float v = 0.0f;
    };
    // The per-corner normal list, made from the faces' shared normals.
    void SplitNormals();
    // The per-corner coordinate list grown to every corner, new ones at (0, 0).
    void SplitUv();
    // Cuts the corner lists back to `count` corners.
    void TrimCorners(std::size_t count);

    std::vector<Vector> vertices_;
    std::vector<Vector> normals_;
    std::vector<FaceRecord> faces_;
    std::vector<std::uint32_t> cornerVertices_;
    std::vector<std::uint32_t> cornerNormals_;  // empty: each corner has its face's normal
    std::vector<Uv> cornerUv_;                  // empty: every corner at (0, 0)
    // The textures faces may name: slot s is textures_[s - 1] (textures no face names any
    // more are dropped when the list grows past the faces).
    std::vector<TexturePtr> textures_;
    std::unordered_map<const Texture*, std::uint32_t> textureSlots_;
    MaterialPtr material_;
    Quality quality_ = kDefaultQuality;
    bool perspective_ = false;
};

inline MeshBuilder::CornerRange::CornerRange(const MeshBuilder& mesh, std::size_t face)
    : mesh_(&mesh),
      vertices_(mesh.cornerVertices_.data() + mesh.faces_[face].firstCorner),
      first_(mesh.faces_[face].firstCorner),
      count_(mesh.faces_[face].cornerCount),
      sharedNormal_(mesh.faces_[face].sharedNormal) {}

inline MeshBuilder::Corner MeshBuilder::CornerRange::operator[](std::size_t k) const {
    Corner c;
    c.vertex = vertices_[k];
    c.normal = mesh_->cornerNormals_.empty() ? sharedNormal_ : mesh_->cornerNormals_[first_ + k];
    if (!mesh_->cornerUv_.empty()) {
        const Uv& t = mesh_->cornerUv_[first_ + k];
        c.u = t.u;
        c.v = t.v;
    }
    return c;
}

using MeshBuilderPtr = std::shared_ptr<MeshBuilder>;

}  // namespace rm
