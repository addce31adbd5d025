#include "formats/stl.h"

#include "formats/registry.h"
#include "formats/text_io.h"

namespace formats {

namespace {

// The binary form's 80-byte header; it must not start with "solid", which marks text.
constexpr std::string_view kBinaryHeader = "Kestrilune binary STL";

rm::Vector TriangleNormal(const rm::Vector& a, const rm::Vector& b, const rm::Vector& c) {
    const double ux = double(b.x) - a.x, uy = double(b.y) - a.y, uz = double(b.z) - a.z;
    const double vx = double(c.x) - a.x, vy = double(c.y) - a.y, vz = double(c.z) - a.z;
    const double x = uy * vz - uz * vy, y = uz * vx - ux * vz, z = ux * vy - uy * vx;
    const double len = std::sqrt(x * x + y * y + z * z);
    if (!(len > 0) || !std::isfinite(len)) return {0, 0, 0};
    return {float(x / len), float(y / len), float(z / len)};
}

void AppendTextVector(std::string& s, std::string_view word, const rm::Vector& v) {
    s += word;
    AppendShortest(s, v.x);
    s += ' ';
    AppendShortest(s, v.y);
    s += ' ';
    AppendShortest(s, v.z);
    s += '\n';
}

template <typename Emit>
std::uint32_t ForEachTriangle(const ExportView& view, Emit&& emit) {
    std::vector<rm::Triangle> tris;
    std::uint32_t count = 0;
    for (int f = 0; f < view.Faces(); ++f) {
        view.Triangles(f, tris);
        for (const rm::Triangle& t : tris) {
            const rm::Vector a = view.Position(f, int(t[0]));
            const rm::Vector b = view.Position(f, int(t[1]));
            const rm::Vector c = view.Position(f, int(t[2]));
            emit(TriangleNormal(a, b, c), a, b, c);
            ++count;
        }
    }
    return count;
}

}  // namespace

std::string FormatStl(const ExportView& view, bool ascii, const std::string& name) {
    std::string s;
    if (ascii) {
        s += "solid " + name + "\n";
        ForEachTriangle(view, [&s](const rm::Vector& n, const rm::Vector& a, const rm::Vector& b,
                                   const rm::Vector& c) {
            AppendTextVector(s, "facet normal ", n);
            s += "outer loop\n";
            AppendTextVector(s, "vertex ", a);
            AppendTextVector(s, "vertex ", b);
            AppendTextVector(s, "vertex ", c);
            s += "endloop\nendfacet\n";
        });
        s += "endsolid " + name + "\n";
        return s;
    }
    std::size_t triangles = 0;
    for (int f = 0; f < view.Faces(); ++f)
        triangles += std::size_t(std::max(view.Corners(f) - 2, 0));
    s.reserve(84 + triangles * 50);
    s += kBinaryHeader;
    s.resize(80, '\0');
    AppendLE32(s, 0);  // the count, filled in below
    const std::uint32_t count = ForEachTriangle(
        view,
        [&s](const rm::Vector& n, const rm::Vector& a, const rm::Vector& b, const rm::Vector& c) {
            const std::size_t at = s.size();
            s.resize(at + 50);  // the attribute bytes stay 0
            auto* q = reinterpret_cast<unsigned char*>(s.data() + at);
            for (const rm::Vector* v : {&n, &a, &b, &c}) {
                base::StoreLEFloat(q, v->x);
                base::StoreLEFloat(q + 4, v->y);
                base::StoreLEFloat(q + 8, v->z);
                q += 12;
            }
        });
    std::string countBytes;
    AppendLE32(countBytes, count);
    s.replace(80, 4, countBytes);
    return s;
}

int SaveStl(const WriteRequest& r, std::string* error) {
    return WriteFormatted(r.path, error, [&r] {
        const ExportView view(r.table, r.options.mirror);
        return FormatStl(view, r.options.ascii, r.title.empty() ? "model" : r.title);
    });
}

}  // namespace formats
