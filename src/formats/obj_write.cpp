// The OBJ writer: `v`, `vt` (when a face has a texture), `vn`, and faces as polygons with
// `usemtl` per material; NAME.mtl beside it holds each material's `Kd`, `d` and `map_Kd`.
// Texture coordinates are written with (0, 0) at the image's bottom left, as OBJ has them.
// A texture whose bitmap is loaded is written beside the file as NAME_k.png (the images of
// a .gltf), which map_Kd names, so the file opens textured wherever it is written; one
// whose bitmap was not found keeps its own file name in map_Kd, with a warning.
#include <algorithm>
#include <cstring>

#include "formats/export_view.h"
#include "formats/obj.h"
#include "formats/registry.h"
#include "formats/text_io.h"
#include "formats/vertex_welder.h"

namespace formats {

namespace {

struct Bits3 {
    std::uint32_t x, y, z;
    bool operator==(const Bits3&) const = default;
};
Bits3 BitsOf(const rm::Vector& v) {
    return {base::BitsOfFloat(v.x), base::BitsOfFloat(v.y), base::BitsOfFloat(v.z)};
}

void AppendFloats(std::string& s, std::string_view word, std::initializer_list<float> values) {
    s += word;
    for (const float v : values) {
        s += ' ';
        AppendShortest(s, v);
    }
    s += '\n';
}

// NAME.mtl: each material's colour, alpha and texture file.
std::string FormatMtl(const ExportMaterials& mats, const ExportImages& images,
                      const std::string& title, std::vector<std::string>* warnings) {
    std::string mtl = "# Kestrilune\n";
    for (std::size_t i = 0; i < mats.list.size(); ++i) {
        const model::FaceColor& c = mats.list[i].color;
        auto unit = [](int x) { return float(std::clamp(x, 0, 255)) / 255.0f; };
        mtl += "newmtl material" + std::to_string(i) + "\n";
        AppendFloats(mtl, "Kd", {unit(c.red), unit(c.green), unit(c.blue)});
        AppendFloats(mtl, "d", {unit(c.alpha)});
        const rm::TexturePtr& texture = mats.list[i].texture;
        if (images.ofMaterial[i] >= 0) {
            mtl += "map_Kd " + ImageFileName(title, std::size_t(images.ofMaterial[i])) + "\n";
        } else if (texture) {
            mtl += "map_Kd " + TextureFileName(*texture) + "\n";
            if (warnings) {
                warnings->push_back("the bitmap of texture " + TextureFileName(*texture) +
                                    " was not found: the material names it, no image is written");
            }
        }
    }
    return mtl;
}

// The OBJ file's text: `obj` takes the vertex lines (each written vertex, texture
// coordinate and normal once, in order of first use), `faces` the face lines.
class ObjText {
  public:
    ObjText(const ExportView& view, bool textured)
        : view_(view), textured_(textured), positions_(view), normals_(view), uvs_(view) {}

    void Face(int f) {
        faces += 'f';
        for (int i = 0; i < view_.Corners(f); ++i) {
            const int vertex = view_.Vertex(f, i);
            bool added = false;
            const rm::Vector p = view_.Position(f, i);
            const std::uint32_t vi = positions_.Find(vertex, BitsOf(p), added);
            if (added) AppendFloats(obj, "v", {p.x, p.y, p.z});
            faces += ' ';
            AppendInt(faces, vi + 1);
            faces += '/';
            if (textured_) {
                const float u = view_.U(f, i), v = 1.0f - view_.V(f, i);
                const std::uint32_t ti =
                    uvs_.Find(vertex, {base::BitsOfFloat(u), base::BitsOfFloat(v)}, added);
                if (added) AppendFloats(obj, "vt", {u, v});
                AppendInt(faces, ti + 1);
            }
            faces += '/';
            const rm::Vector nor = view_.UnitNormal(f, i);
            const std::uint32_t ni = normals_.Find(vertex, BitsOf(nor), added);
            if (added) AppendFloats(obj, "vn", {nor.x, nor.y, nor.z});
            AppendInt(faces, ni + 1);
        }
        faces += '\n';
    }

    std::string obj;
    std::string faces;

  private:
    struct Bits2 {
        std::uint32_t u, v;
        bool operator==(const Bits2&) const = default;
    };
    const ExportView& view_;
    bool textured_;
    VertexWelder<Bits3> positions_, normals_;
    VertexWelder<Bits2> uvs_;
};

}  // namespace

int SaveObj(const WriteRequest& r, std::string* error) {
    try {
        const ExportView view(r.table, r.options.mirror);
        const ExportMaterials mats = CollectMaterials(view);
        // The library and the images are named without blanks: "mtllib" lists several
        // names on one line and map_Kd takes its last word, here and in other tools.
        std::string title = FileTitle(r.path);
        std::replace_if(
            title.begin(), title.end(), [](char c) { return c == ' ' || c == '\t'; }, '_');
        const std::size_t slash = r.path.find_last_of('/');
        const std::string folder = slash == std::string::npos ? "" : r.path.substr(0, slash + 1);
        bool textured = false;
        for (const ExportMaterial& m : mats.list) textured |= m.texture != nullptr;

        const ExportImages images = CollectImages(mats);
        std::vector<std::string> pngs;
        for (const rm::Texture* texture : images.textures) pngs.push_back(EncodePng(*texture));
        const std::string mtl = FormatMtl(mats, images, title, r.options.warnings);

        ObjText text(view, textured);
        text.obj = "# Kestrilune\nmtllib " + title + ".mtl\n";
        int material = -1;
        for (int f = 0; f < view.Faces(); ++f) {
            if (view.Corners(f) < 3) continue;
            if (mats.ofFace[std::size_t(f)] != material) {
                material = mats.ofFace[std::size_t(f)];
                text.faces += "usemtl material" + std::to_string(material) + "\n";
            }
            text.Face(f);
        }
        // The images and the library first: the model appears once its files are there.
        std::vector<rm::FileToWrite> files;
        for (std::size_t k = 0; k < pngs.size(); ++k)
            files.push_back({folder + ImageFileName(title, k), pngs[k]});
        files.push_back({folder + title + ".mtl", mtl});
        files.push_back({r.path, text.obj, {text.faces}});
        return rm::WriteFilesAtomically(files, error) ? 1 : 0;
    } catch (const std::bad_alloc&) {
        if (error) *error = "out of memory";
        return 0;
    }
}

}  // namespace formats
