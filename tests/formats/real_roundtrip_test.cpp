// Every real file that a reader takes goes out through every writer and, where the format
// can be read again, comes back with the same geometry.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "formats/registry.h"
#include "formats/text_io.h"
#include "test_support.h"

namespace {

using testing_support::Model;

// Faces that a writer of the given kind puts out for one table face of n corners.
int FacesWritten(const std::string& ext, int n) {
    if (n < 3) return (ext == "x" || ext == "lwo" || ext == "dxf") ? (n > 0 ? 1 : 0) : 0;
    if (ext == "mqo" || ext == "dxf") return n <= 4 ? 1 : n - 2;  // larger faces as fans
    return 1;
}

bool Near(const rm::Vector& a, const rm::Vector& b) {
    auto close = [](float x, float y) {
        return std::fabs(x - y) <= 1e-5f * std::max(1.0f, std::max(std::fabs(x), std::fabs(y)));
    };
    return close(a.x, b.x) && close(a.y, b.y) && close(a.z, b.z);
}

// Face by face, table a's faces in the copy b read back from a file of the given kind:
// a face written whole has its corners where they were, a fan piece or a DXF face (4
// corners) starts at the source face's corner 0; colours kept but in DXF.
void ExpectFacesWhereTheyWere(const std::string& ext, const model::FaceTable& a,
                              const model::FaceTable& b) {
    int g = 0;
    for (int f = 0; f < a.faceCount && g < b.faceCount; ++f) {
        const int n = a.vertexCount[f];
        const int pieces = FacesWritten(ext, n);
        if (pieces == 0) continue;
        if (pieces == 1 && (ext == "x" || ext == "lwo" || (ext == "mqo" && n >= 3))) {
            ASSERT_EQ(b.vertexCount[g], n) << "face " << f;
            for (int k = 0; k < n; ++k) {
                ASSERT_TRUE(Near(b.position[g][k], a.position[f][k]))
                    << "face " << f << " corner " << k;
            }
        } else {
            ASSERT_TRUE(Near(b.position[g][0], a.position[f][0])) << "face " << f;
        }
        if (ext != "dxf") {
            EXPECT_EQ(b.faceColor[g].red, a.faceColor[f].red) << "face " << f;
            EXPECT_EQ(b.faceColor[g].green, a.faceColor[f].green) << "face " << f;
            EXPECT_EQ(b.faceColor[g].blue, a.faceColor[f].blue) << "face " << f;
        }
        g += pieces;
    }
}

// The model read from one real file, written by one of the older formats' writers and,
// where the format can be read again, read back: the faces that writer puts out, where
// they were.
void ExpectWriterRoundTrip(const testing_support::TempDir& dir, Model& source,
                           const formats::WriterEntry& writer) {
    const model::FaceTable& a = *source.table;
    const std::string ext(writer.extension);
    const std::string out = dir.Path("out." + ext);
    std::string error;
    const std::string title = formats::FileTitle(out);
    ASSERT_EQ(writer.write({out, title, source.host, a}, &error), 1) << error;
    const formats::ReaderEntry* back = formats::FindReader(out);
    if (!back) return;  // .dsm is written only

    Model copy;
    formats::ReadResult read;
    ASSERT_EQ(back->read(out, copy.host, &read), 1) << read.detail;
    int expected = 0;
    for (int f = 0; f < a.faceCount; ++f) expected += FacesWritten(ext, a.vertexCount[f]);
    ASSERT_EQ(copy.host.m_pMesh->GetFaceCount(), expected);
    copy.Sync();
    ExpectFacesWhereTheyWere(ext, a, *copy.table);
}

TEST(RealFilesThroughEveryWriter, OwnOutputsReadBackWithTheSameGeometry) {
    testing_support::TempDir dir;
    int filesRead = 0;
    for (const std::string& path : testing_support::RealFiles("")) {
        const formats::ReaderEntry* reader = formats::FindReader(path);
        if (!reader) continue;  // the README
        Model source;
        if (!reader->read(path, source.host, nullptr)) continue;  // refused on purpose elsewhere
        source.Sync();
        ++filesRead;
        for (const formats::WriterEntry& writer : formats::Writers()) {
            // The added formats are judged by outside tools (writers_test.cpp).
            if (formats::FindFormat(std::string("a.") + std::string(writer.extension))->writerAdded)
                continue;
            SCOPED_TRACE(path + " -> ." + std::string(writer.extension));
            ExpectWriterRoundTrip(dir, source, writer);
        }
    }
    // Readable real files: 9 LWOB, 18 LWO2 and LWO3, 6 DXF (one binary), 11 OBJ, 14 X (the one
    // with out-of-range skin weights among them: skinning is not read), 8 MQO, 2 STL, 2 PLY,
    // 2 glTF.
    EXPECT_EQ(filesRead, 72);
}

}  // namespace
