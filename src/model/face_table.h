// The editable copy of the model: fixed-size arrays that mirror the mesh face by face and
// corner by corner. The editing tools, the orthographic panes and most writers work on it;
// ReadFromMesh and RebuildMesh keep it and the mesh in step.
//
// Invariants, kept by every function that writes the table (ReadFromMesh is the only one
// that sets faceCount and vertexCount):
// - 0 <= faceCount <= FaceCapacity() and 0 <= vertexCount[f] <= CornerCapacity();
// - no corner outside the faces is selected (rows at or past faceCount, corners at or past
//   vertexCount[f]), so clearing the selection of the faces clears all of it;
// - selected[f][k] is 0 or 1.
// Walk the corners with Faces() and CornersOf(f), or ForEachCorner.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "base/big_buffer.h"
#include "model/model_host.h"
#include "rm/polygon.h"
#include "rm/texture.h"
#include "rm/types.h"

namespace model {

constexpr int MAX_FACES = 5000;
constexpr int MAX_FACE_VERTICES = 16;
static_assert(MAX_FACE_VERTICES == int(rm::kMaxFaceCorners));
constexpr int MAX_POOL_VERTICES = MAX_FACES * MAX_FACE_VERTICES;  // 80,000
// Crease angle of the rebuilt mesh's normals: about 89.5 degrees (float bits 0x3FC7F1E7).
constexpr float REBUILD_CREASE_ANGLE = 1.5620698f;

// A face's colour channel by channel, 0..255 each.
struct FaceColor {
    int red = 192;
    int green = 192;
    int blue = 192;
    int alpha = 255;
};

// A face colour packed as the mesh keeps it (rm::Color, 0xAARRGGBB), and back. Each
// channel keeps its low eight bits.
constexpr rm::Color ToColor(const FaceColor& c) {
    return rm::MakeColor(unsigned(c.alpha), unsigned(c.red), unsigned(c.green), unsigned(c.blue));
}
constexpr FaceColor FaceColorOf(rm::Color c) {
    return {int(rm::ColorRed(c)), int(rm::ColorGreen(c)), int(rm::ColorBlue(c)),
            int(rm::ColorAlpha(c))};
}
// A face colour's red, green and blue as the colour dialog keeps them (rm::ColorRef,
// 0x00BBGGRR); alpha is left out.
constexpr rm::ColorRef ToColorRef(const FaceColor& c) {
    return rm::MakeColorRef(c.red, c.green, c.blue);
}

// Marks a polygon point that makes a new vertex (it snapped to no existing one).
constexpr int POLY_NEW_VERTEX = 30000;

// The outcome of AddPolygon. Anything but Added leaves the mesh and the table untouched.
enum class AddPolygonResult {
    Added,
    TableFull,        // the table already holds MAX_FACES faces
    TooManyVertices,  // even densely numbered, the vertices would not fit the pool
    Refused,          // bad point count, or the root or the mesh refused the new mesh
};

// What ReadFromMesh left behind because of the table's limits.
struct ReadStats {
    int meshFaces = 0;        // faces in the mesh
    int droppedFaces = 0;     // faces beyond MAX_FACES
    int droppedCorners = 0;   // corners beyond MAX_FACE_VERTICES of the faces that were read
    bool renumbered = false;  // vertex indices were too large and were renumbered densely
};

// One row of CornerCapacity() entries per face: rows[f][k] is corner k of face f, and
// rows[f] the row itself (a pointer to its first entry, with begin() and end()).
template <typename T>
class CornerRows {
  public:
    template <typename U>
    class Row {
      public:
        Row(U* first, int count) : first_(first), count_(count) {}
        U& operator[](int k) const { return first_[k]; }
        operator U*() const { return first_; }
        U* begin() const { return first_; }
        U* end() const { return first_ + count_; }

      private:
        U* first_;
        int count_;
    };
    // Every entry T{} (all zero bytes).
    void Assign(int rows, int stride) {
        stride_ = stride;
        data_.Assign(std::size_t(rows) * std::size_t(stride));
    }
    Row<T> operator[](int f) {
        return {data_.get() + std::size_t(f) * std::size_t(stride_), stride_};
    }
    Row<const T> operator[](int f) const {
        return {data_.get() + std::size_t(f) * std::size_t(stride_), stride_};
    }

  private:
    base::ZeroedArray<T> data_;
    int stride_ = 0;
};

class FaceTable {
  public:
    // The heap arrays exist from construction, so the table can be read into and rebuilt
    // before the first Clear. The program's table holds MAX_FACES faces of
    // MAX_FACE_VERTICES corners (and has the undo history); the converter's is sized to
    // the files it reads (at most MAX_FACE_VERTICES corners a face).
    explicit FaceTable(int maxFaces = MAX_FACES, int maxCorners = MAX_FACE_VERTICES);
    FaceTable(const FaceTable&) = delete;
    FaceTable& operator=(const FaceTable&) = delete;

    // Copies the model's mesh into the table: at most MAX_FACES faces of at most
    // MAX_FACE_VERTICES corners. Selection flags stay with their face and corner numbers.
    // Vertex indices of MAX_POOL_VERTICES or more never reach the pool: when the mesh
    // reports one, the table's vertices are renumbered densely in order of first use, so
    // that no corner is lost and shared vertices stay shared.
    ReadStats ReadFromMesh(ModelHost& host);

    // Builds a new mesh from the table and attaches it to the model frame in place of the
    // old one. Faces without corners are left out of the mesh. The old mesh stays attached
    // (and in host.m_pMesh) when the new one cannot be built (a vertex index outside the
    // pool, or the root refusing to create objects); the result is false then.
    bool RebuildMesh(ModelHost& host);

    // Builds a new mesh from every face of the table plus one face through `points` (in
    // order), and puts it in place of the old mesh, attached to the model frame. Entry i
    // of `pointVertex` is the vertex index point i snapped to, or POLY_NEW_VERTEX; new
    // points are numbered after the largest index in use, and the indices given are
    // written back. Only when those numbers would run past the pool are all vertices
    // numbered densely first (in order of first use). Old faces keep their colour,
    // texture and texture coordinates, and the mesh keeps `meshQuality`; the new face is
    // default white without texture. The table is not changed: ReadFromMesh brings the
    // new face in.
    AddPolygonResult AddPolygon(ModelHost& host, std::span<const rm::Vector> points,
                                std::span<int> pointVertex);

    // Resets the table for a new document.
    void Clear();

    // Makes room for `maxFaces` faces of `maxCorners` corners (at most MAX_FACE_VERTICES),
    // as a new table: everything in it is lost. ReadFromMesh fills it again.
    void Resize(int maxFaces, int maxCorners);
    int FaceCapacity() const { return maxFaces_; }
    int CornerCapacity() const { return maxCorners_; }
    int PoolCapacity() const { return maxFaces_ * maxCorners_; }

    // Colour (0x00BBGGRR) or transparency (0..255) of the target faces: the faces whose
    // corners are all selected, or every face when no face is fully selected. The table
    // only: the caller rebuilds the mesh (the edit path does).
    void ApplyColor(rm::ColorRef colorref);
    void ApplyTransparency(int t);
    // What the target faces of ApplyColor have in common: `look` is the first target's
    // colour, and the flags say whether every target has its red, green and blue, and its
    // alpha. Both false when there is no face.
    struct TargetLook {
        FaceColor look;
        bool sameColor = false;
        bool sameAlpha = false;
    };
    TargetLook TargetsLook() const;

    // Deselects every corner: the one way to clear the selection.
    void ClearSelection();

    // Faces and the corners of face f, held to the table's limits (the invariants keep
    // them there; a table written by hand in a test may not), so no walk reads past the
    // arrays. FacesToWrite is the writers' name for Faces.
    int Faces() const { return std::clamp(faceCount, 0, maxFaces_); }
    int FacesToWrite() const { return Faces(); }
    int CornersOf(int f) const { return std::clamp(vertexCount[f], 0, maxCorners_); }
    // Calls fn(f, k) for every corner of every face, in table order.
    template <typename Fn>
    void ForEachCorner(Fn fn) const {
        const int faces = Faces();
        for (int f = 0; f < faces; ++f) {
            const int n = CornersOf(f);
            for (int k = 0; k < n; ++k) fn(f, k);
        }
    }
    // True when the invariants above hold and every corner's index lies inside the pool.
    bool CheckInvariants() const;

    // --- the table ---
    int faceCount = 0;
    std::vector<int> vertexCount;  // FaceCapacity() entries, as every per-face array
    CornerRows<rm::Vector> position;
    CornerRows<rm::Vector> normal;
    CornerRows<int> vertexIndex;
    CornerRows<float> texU;
    CornerRows<float> texV;
    CornerRows<int> selected;
    std::vector<int> faceMark;
    std::unique_ptr<FaceColor[]> faceColor;
    std::unique_ptr<rm::TexturePtr[]> faceTexture;  // null = none
    base::ZeroedArray<rm::Vector> vertexPool;       // PoolCapacity() entries
    int poolVertexCount = 0;
    rm::Quality meshQuality = rm::Quality::Gouraud;

  private:
    int maxFaces_ = MAX_FACES;
    int maxCorners_ = MAX_FACE_VERTICES;
    void AllocateHeapArrays();
    // Colours, textures and texture coordinates of the table's faces onto the first faces
    // of `mesh` (faces without corners are not in the mesh).
    void CopyAppearance(rm::MeshBuilder& mesh) const;
    template <typename Change>
    void ApplyToTargets(Change change);
    // Deselects the corners outside the faces (after the faces changed).
    void ClearSelectionOutsideFaces();
};

}  // namespace model
