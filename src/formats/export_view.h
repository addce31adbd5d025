// The model as the writers of the right-handed formats (glTF, OBJ, STL, PLY) see it: the
// table's faces with their corners in the order written, mirrored when the model's
// convention differs from the format's, unit normals, texture coordinates and one material
// per distinct face colour and texture.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "model/face_table.h"
#include "rm/polygon.h"
#include "rm/texture.h"
#include "rm/types.h"

namespace formats {

class ExportView {
  public:
    // `mirror`: Z is negated and each face's corner order reversed.
    ExportView(const model::FaceTable& table, bool mirror) : t_(table), mirror_(mirror) {}

    int Faces() const { return t_.FacesToWrite(); }
    int Corners(int f) const { return t_.CornersOf(f); }
    bool Mirrored() const { return mirror_; }

    // The table's corner number of the i-th corner written.
    int Corner(int f, int i) const { return mirror_ ? Corners(f) - 1 - i : i; }
    int Vertex(int f, int i) const { return t_.vertexIndex[f][Corner(f, i)]; }
    rm::Vector Position(int f, int i) const { return Flip(t_.position[f][Corner(f, i)]); }
    // Texture coordinates with (0, 0) at the image's top left, as the model keeps them.
    float U(int f, int i) const { return t_.texU[f][Corner(f, i)]; }
    float V(int f, int i) const { return t_.texV[f][Corner(f, i)]; }
    // The corner's normal made unit length; a zero normal (a face of no area) takes the
    // face's normal, or +Y when the face has none.
    rm::Vector UnitNormal(int f, int i) const;
    // The unit normal of face f's written outline (counter-clockwise seen from the front
    // when mirrored from a left-handed model); (0, 0, 0) for a face of no area.
    rm::Vector FaceNormal(int f) const;

    // The triangles of face f in written corner numbers, by the shared polygon rule
    // (rm::SplitPolygon), each in the face's written winding. `out` is replaced.
    void Triangles(int f, std::vector<rm::Triangle>& out) const;

    const model::FaceColor& Color(int f) const { return t_.faceColor[f]; }
    const rm::TexturePtr& Texture(int f) const { return t_.faceTexture[f]; }

  private:
    rm::Vector Flip(rm::Vector v) const {
        if (mirror_) v.z = 0.0f - v.z;  // +0, never -0
        return v;
    }
    const model::FaceTable& t_;
    bool mirror_;
};

// One material per distinct face colour (red, green, blue, alpha) and texture, in order of
// first use.
struct ExportMaterial {
    model::FaceColor color;
    rm::TexturePtr texture;  // null: none
    // The texture's bitmap was loaded (a texture whose file was not found keeps its name).
    bool TextureFound() const { return texture && !texture->Pixels().empty(); }
};
struct ExportMaterials {
    std::vector<ExportMaterial> list;
    std::vector<int> ofFace;  // material of each face
};
ExportMaterials CollectMaterials(const ExportView& view);

// The texture's file name without its folder ("wood.bmp").
std::string TextureFileName(const rm::Texture& texture);

// The images a file carries for its materials' textures: one per distinct texture whose
// bitmap is loaded, in order of first use. Beside a file of title TITLE, image k is the
// PNG file TITLE_k.png.
struct ExportImages {
    std::vector<const rm::Texture*> textures;  // image k's texture
    std::vector<int> ofMaterial;               // image of each material; -1 for none
};
ExportImages CollectImages(const ExportMaterials& materials);
std::string ImageFileName(const std::string& title, std::size_t image);
// The texture's pixels as a PNG file.
std::string EncodePng(const rm::Texture& texture);

}  // namespace formats
