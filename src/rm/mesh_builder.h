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

// A face's texture as the mesh keeps it: a plain pointer to a texture that the mesh itself
// holds (Face::GetTexture and MeshBuilder::TextureOf give the shared pointer). A million
// faces then cost no reference count each. It is only ever copied between faces of one
// mesh (and along with the faces by AddMeshBuilder); a texture from elsewhere goes in
// through SetFaceTexture.
class FaceTexture {
  public:
    FaceTexture() = default;
    Texture* get() const { return texture_; }
    explicit operator bool() const { return texture_ != nullptr; }

  private:
    friend class MeshBuilder;
    explicit FaceTexture(Texture* texture) : texture_(texture) {}
    Texture* texture_ = nullptr;
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

    struct Corner {
        std::uint32_t vertex = 0;
        std::uint32_t normal = kNoNormal;
        float u = 0.0f;
        float v = 0.0f;
    };
    struct FaceRecord {
        std::size_t firstCorner = 0;
        std::uint32_t cornerCount = 0;
        Color color = kDefaultFaceColor;
        FaceTexture texture;  // null: none
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
    std::span<const Corner> FaceCorners(std::size_t f) const {
        return {corners_.data() + faces_[f].firstCorner, faces_[f].cornerCount};
    }
    std::size_t GetCornerCount() const { return corners_.size(); }
    // The texture of face f (null for none), and setting it (the mesh then holds it).
    TexturePtr TextureOf(std::size_t f) const;
    void SetFaceTexture(std::size_t f, TexturePtr texture);
    // Bulk edits of faces already in the mesh (same rules as the Face handle's setters).
    FaceRecord& MutableFaceRecord(std::size_t f) { return faces_[f]; }
    std::span<Corner> MutableFaceCorners(std::size_t f) {
        return {corners_.data() + faces_[f].firstCorner, faces_[f].cornerCount};
    }

  private:
    friend class Face;

    // AddFaces' walk over its list, after the `vertexCount` vertices and `normalCount`
    // normals (-1: the list has no normal indices) at the end of the mesh's lists: false
    // for a bad list, with what it added left for the caller to take back.
    bool AppendFaceList(std::span<const std::int32_t> faceData, std::size_t vertexCount,
                        std::size_t normalCount, std::vector<Face>* added);
    // A new default face of the `n` corners from `firstCorner` on.
    void NewFace(std::size_t firstCorner, std::size_t n);
    // `texture` as a face's texture, held by the mesh.
    FaceTexture Hold(TexturePtr texture);
    // Takes the textures `other` holds (its faces' textures stay valid here).
    void HoldTexturesOf(const MeshBuilder& other);

    std::vector<Vector> vertices_;
    std::vector<Vector> normals_;
    std::vector<FaceRecord> faces_;
    std::vector<Corner> corners_;
    // Every texture a face may name (textures no face names any more are dropped when
    // the table grows past the faces).
    std::unordered_map<const Texture*, TexturePtr> textures_;
    MaterialPtr material_;
    Quality quality_ = kDefaultQuality;
    bool perspective_ = false;
};

using MeshBuilderPtr = std::shared_ptr<MeshBuilder>;

}  // namespace rm
