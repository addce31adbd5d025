// DSM listings: an assembler source of DMA and vector-unit packets, one packet per
// triangle or four-corner strip, each corner carrying position, normal, colour and
// texture coordinates. Lines end in CR LF, as the format's own tools wrote them.
#include "formats/dsm.h"

#include <algorithm>
#include <new>

#include "formats/text_io.h"

namespace formats {

namespace {

constexpr std::string_view kHeaderMacros =
    ".data\n.DmaPackVif 0\n.macro fxyzw f1, f2, f3, f4\n"
    ".float \\f1, \\f2, \\f3, \\f4\n.endm\n.macro iwzyx i1, i2, i3, i4\n"
    ".int \\i4, \\i3, \\i2, \\i1\n.endm\n\n"
    ".macro ix i1\n.int \\i1\n.endm\n\n";

// Appends "fxyzw %f, %f, %f, <tail>" with `tail` ending the line.
void AppendVector(std::string& s, float x, float y, float z, std::string_view tail) {
    s += "fxyzw ";
    AppendFixed(s, double(x));
    s += ", ";
    AppendFixed(s, double(y));
    s += ", ";
    AppendFixed(s, double(z));
    s += tail;
}

// One packet of 3 (triangle) or 4 (strip) corners of face f, in the order given.
void AppendPacket(std::string& s, const model::FaceTable& table, int f, const int* corners,
                  int count) {
    s += "unpack[r] 4,4, V4_32, 0, *\n";
    if (count == 3) {
        s += "iwzyx 0x0, 0x412, 0x300dc000, 0x8003\n";
    } else {
        s += "iwzyx 0x0, 0x412, 0x300e4000, 0x8004\n";
    }
    s += ".EndUnpack\n\n";
    s += "unpack[r] 4,4, V4_32, 1, *\n";
    s += ";-- position --\n";
    for (int i = 0; i < count; ++i) {
        const rm::Vector& p = table.position[f][corners[i]];
        AppendVector(s, p.x, p.y, p.z, ", 1.0\n");
    }
    s += ";-- normal --\n";
    for (int i = 0; i < count; ++i) {
        const rm::Vector& n = table.normal[f][corners[i]];
        AppendVector(s, n.x, n.y, n.z, ", 1.0\n");
    }
    s += ";-- color --\n";
    const model::FaceColor& c = table.faceColor[f];
    for (int i = 0; i < count; ++i) {
        s += "fxyzw ";
        AppendInt(s, c.red);
        s += ".0, ";
        AppendInt(s, c.green);
        s += ".0, ";
        AppendInt(s, c.blue);
        s += ".0, ";
        AppendInt(s, c.alpha);
        s += ".0\n";
    }
    s += ";-- texture --\n";
    for (int i = 0; i < count; ++i) {
        s += "fxyzw ";
        AppendFixed(s, double(table.texU[f][corners[i]]));
        s += ", ";
        AppendFixed(s, double(table.texV[f][corners[i]]));
        s += ", 1.0, 0.0\n";
    }
    s += ".EndUnpack\nMSCNT\n\n\n";
}

}  // namespace

std::string FormatDsm(const std::string& title, const model::FaceTable& table) {
    const int faceCount = table.FacesToWrite();
    std::string s;
    s.reserve(512 + std::size_t(faceCount) * 1100);
    s += kHeaderMacros;
    s += ".global model_";
    s += title;
    s += "\n\nmodel_";
    s += title;
    s += ":\n";
    s += "DMAcnt *\n";
    s += "BASE 256\n";
    s += "OFFSET 384\n";
    s += "ix 0x11000000    ; FLUSH\n";
    s += "MSCAL 0\n";

    for (int f = 0; f < faceCount; ++f) {
        const int n = table.CornersOf(f);
        if (n < 3) continue;  // points and edges are no polygons
        if (n == 4) {
            static constexpr int kStrip[4] = {0, 1, 3, 2};
            AppendPacket(s, table, f, kStrip, 4);
            continue;
        }
        // A triangle, or a fan of triangles for a larger face.
        for (int k = 1; k + 1 < n; ++k) {
            const int fan[3] = {0, k, k + 1};
            AppendPacket(s, table, f, fan, 3);
        }
    }
    s += ".EndDmaData\n";

    std::string crlf;
    crlf.reserve(s.size() + s.size() / 8);
    AppendCrlf(crlf, s);
    return crlf;
}

int WriteDsm(const std::string& path, const std::string& title, const model::FaceTable& table,
             std::string* error) {
    return WriteFormatted(path, error, [&] { return FormatDsm(title, table); });
}

}  // namespace formats
