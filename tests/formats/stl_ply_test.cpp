// The STL and PLY readers: both encodings of each, files of other programs with their own
// face counts, and files that lie about what they hold.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <thread>

#include "formats/ply_read.h"
#include "formats/stl_read.h"
#include "test_support.h"

namespace {

using testing_support::CornerText;
using testing_support::Model;

// A binary STL of `triangles` (three corners each), with `header` at the front.
std::string BinaryStl(const std::vector<std::array<float, 9>>& triangles,
                      const std::string& header = "binary") {
    std::string s = header;
    s.resize(80, ' ');
    base::AppendLE32(s, std::uint32_t(triangles.size()));
    for (const auto& t : triangles) {
        for (int i = 0; i < 3; ++i) base::AppendLEFloat(s, 0.0f);  // a normal that is not used
        for (float f : t) base::AppendLEFloat(s, f);
        s.append(2, '\0');  // attribute bytes
    }
    return s;
}

const std::array<float, 9> kT1 = {0, 0, 0, 1, 0, 0, 0, 1, 0};
const std::array<float, 9> kT2 = {1, 0, 0, 1, 1, 0, 0, 1, 0};
const std::string kTwoTriangles = " (0 0 0) (1 0 0) (0 1 0), (1 0 0) (1 1 0) (0 1 0),";

TEST(StlReader, BinaryAndTextGiveTheSameTrianglesWithSharedCorners) {
    const std::string text =
        "solid two\n facet normal 0 0 1\n  outer loop\n   vertex 0 0 0\n   vertex 1 0 0\n"
        "   vertex 0 1 0\n  endloop\n endfacet\n"
        "facet normal 0 0 1\r\nouter loop\r\nvertex 1e0 0 0\r\nvertex 1 1 0\r\nvertex 0 1 0\r\n"
        "endloop\r\nendfacet\r\nendsolid two\n";
    // A binary file whose header begins with "solid", as some programs write.
    for (const std::string& file :
         {text, BinaryStl({kT1, kT2}), BinaryStl({kT1, kT2}, "solid x")}) {
        Model m;
        formats::ReadResult r;
        ASSERT_EQ(formats::ReadStlBytes(file, m.host, &r), 1) << r.detail;
        EXPECT_EQ(CornerText(m), kTwoTriangles);
        EXPECT_EQ(m.host.m_pMesh->Vertices().size(), 4u);  // the shared edge is shared
    }
}

TEST(StlReader, FilesThatHoldLessThanTheySayAreRefused) {
    const std::string whole = BinaryStl({kT1, kT2});
    const std::string cases[] = {
        whole.substr(0, whole.size() - 1),  // the last triangle cut short
        whole.substr(0, 83),                // shorter than the header
        BinaryStl({}),                      // no triangles
        [&] {                               // a count far beyond the file
            std::string s = whole;
            s[83] = char(0x7F);
            return s;
        }(),
        "solid x\nfacet\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nendloop\nendfacet\n",  // 2
        "solid x\nfacet\nouter loop\nvertex 0 0 0\nvertex 1 0\n",                       // cut
        "solid x\nfacet\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\n",       // no end
        "solid x\nendsolid x\n",
        "solid x\nnonsense\n",
    };
    for (const std::string& file : cases) {
        Model m;
        formats::ReadResult r;
        EXPECT_EQ(formats::ReadStlBytes(file, m.host, &r), 0) << file.size();
        EXPECT_EQ(r.kind, formats::ReadFailure::Malformed);
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 0);
    }
}

TEST(StlReader, RealFilesOfAnotherProgramHaveItsTriangleCounts) {
    for (const char* name : {"by-assimp/spider_binary.stl", "by-assimp/spider_ascii.stl"}) {
        SCOPED_TRACE(name);
        Model m;
        formats::ReadResult r;
        ASSERT_EQ(formats::ReadStl(testing_support::RealFile(name), m.host, &r), 1) << r.detail;
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 1368);
    }
}

// A PLY file with a header and the given body.
std::string Ply(const std::string& format, const std::string& elements, const std::string& body) {
    return "ply\nformat " + format + " 1.0\ncomment test\n" + elements + "end_header\n" + body;
}

const std::string kColouredElements =
    "element vertex 4\nproperty float x\nproperty float y\nproperty float z\n"
    "property uchar red\nproperty uchar green\nproperty uchar blue\n"
    "property list uchar int extra\n"                   // a list in the vertex element, skipped
    "element edge 1\nproperty int a\nproperty int b\n"  // an element of no use, skipped
    "element face 2\nproperty list uchar int vertex_indices\nproperty float quality\n";

TEST(PlyReader, TextAndBothBinaryOrdersGiveTheSameFacesAndColours) {
    const std::string text = Ply("ascii", kColouredElements,
                                 "0 0 0 255 0 0 0\n1 0 0 0 255 0 2 7 7\n1 1 0 0 0 255 0\n"
                                 "0 1 0 255 255 255 0\n0 1\n3 0 1 3 0.5\n4 1 2 3 0 1.5\n");
    const auto binary = [](bool big) {
        std::string s;
        const auto put = [&](const void* p, std::size_t n) {
            std::string b(static_cast<const char*>(p), n);
            if (big) std::reverse(b.begin(), b.end());
            s += b;
        };
        const float v[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
        const unsigned char c[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
        for (int i = 0; i < 4; ++i) {
            for (float f : v[i]) put(&f, 4);
            s.append(reinterpret_cast<const char*>(c[i]), 3);
            const int extra = i == 1 ? 2 : 0;
            s += char(extra);
            for (int k = 0; k < extra; ++k) put(&extra, 4);
        }
        for (int e : {0, 1}) put(&e, 4);
        const std::vector<std::vector<int>> faces = {{0, 1, 3}, {1, 2, 3, 0}};
        for (const auto& f : faces) {
            s += char(f.size());
            for (int k : f) put(&k, 4);
            const float q = 0.5f;
            put(&q, 4);
        }
        return Ply(big ? "binary_big_endian" : "binary_little_endian", kColouredElements, s);
    };
    for (const std::string& file : {text, binary(false), binary(true)}) {
        Model m;
        formats::ReadResult r;
        ASSERT_EQ(formats::ReadPlyBytes(file, m.host, &r), 1) << r.detail;
        EXPECT_EQ(CornerText(m), " (0 0 0) (1 0 0) (0 1 0), (1 0 0) (1 1 0) (0 1 0) (0 0 0),");
        // The mean of the corners' colours: (255+0+255)/3 = 170, (0+255+255)/3 = 170, 85.
        EXPECT_EQ(m.host.m_pMesh->FaceRecords()[0].color, 0xFFAAAA55u);
        // (0+0+255+255)/4 = 127.5 -> 128 for red, green; blue (0+255+255+0)/4 -> 128.
        EXPECT_EQ(m.host.m_pMesh->FaceRecords()[1].color, 0xFF808080u);
    }
}

TEST(PlyReader, HeadersThatLieAndIndicesPastTheVerticesAreRefused) {
    const std::string elements =
        "element vertex 3\nproperty float x\nproperty float y\nproperty float z\n"
        "element face 1\nproperty list uchar int vertex_indices\n";
    std::string three;
    for (float f : {0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f}) base::AppendLEFloat(three, f);
    std::string face = "\x03";
    for (int k : {0, 1, 2}) base::AppendLE32(face, std::uint32_t(k));
    const std::string good = Ply("binary_little_endian", elements, three + face);
    {
        Model m;
        ASSERT_EQ(formats::ReadPlyBytes(good, m.host), 1);
    }
    std::string pastVertices = three + "\x03";
    for (int k : {0, 1, 3}) base::AppendLE32(pastVertices, std::uint32_t(k));
    std::string longList = three + "\xFF";
    for (int k = 0; k < 4; ++k) base::AppendLE32(longList, 0);
    const std::string cases[] = {
        good.substr(0, good.size() - 1),
        Ply("binary_little_endian",
            "element vertex 300000000\nproperty float x\nproperty float y\nproperty float z\n",
            three),                                                   // a count it cannot hold
        Ply("binary_little_endian", elements, pastVertices),          // index 3 of 3 vertices
        Ply("binary_little_endian", elements, longList),              // a list of 255 of 4
        Ply("ascii", elements, "0 0 0\n1 0 0\n0 1 0\n3 0 1 -1\n"),    // a negative index
        Ply("ascii", elements, "0 0 0\n1 0 0\n0 1 0\n3 0 1 1.5\n"),   // not a whole number
        Ply("ascii", elements, "0 0 0\n1 0 0\n0 1 0\n3 0 1\n"),       // one number short
        Ply("ascii", elements, "0 0 0\n1 0 zero\n0 1 0\n3 0 1 2\n"),  // a word that is no number
        "ply\nformat ascii 1.0\nelement vertex 1\nproperty float x\n0\n",  // no end_header
        "ply\nelement vertex 0\nend_header\n",                             // no format
        Ply("ascii", "element vertex 1\nproperty quaternion x\n", "0\n"),  // an unknown type
        Ply("ascii", "property float x\n", ""),                            // property first
        "plyx\n",
    };
    for (const std::string& file : cases) {
        Model m;
        formats::ReadResult r;
        EXPECT_EQ(formats::ReadPlyBytes(file, m.host, &r), 0) << file;
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 0);
    }
}

// Two face elements, only the second with colours: every face is read, and no face takes a
// colour that belongs to another (there are fewer colours than faces, so none is used).
TEST(PlyReader, ColoursOfOneFaceElementOfTwoGoToNoOtherFace) {
    const std::string file =
        Ply("ascii",
            "element vertex 3\nproperty float x\nproperty float y\nproperty float z\n"
            "element face 1\nproperty list uchar int vertex_indices\n"
            "element face 1\nproperty list uchar int vertex_indices\n"
            "property uchar red\nproperty uchar green\nproperty uchar blue\n",
            "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n3 0 2 1 255 0 0\n");
    Model m;
    formats::ReadResult r;
    ASSERT_EQ(formats::ReadPlyBytes(file, m.host, &r), 1) << r.detail;
    ASSERT_EQ(m.host.m_pMesh->GetFaceCount(), 2);
    for (const auto& face : m.host.m_pMesh->FaceRecords()) {
        EXPECT_EQ(face.color, rm::MeshBuilder::kDefaultFaceColor);
    }
}

// Faces before the vertices they name are read as well as after them. Of two vertex
// elements, the first with colours and the second without, the second's vertices are white:
// the face's mean takes white for them and reads no colour past the first element's.
TEST(PlyReader, FacesBeforeTheirVerticesAndVertexElementsOfOtherProperties) {
    const std::string facesFirst =
        Ply("ascii",
            "element face 2\nproperty list uchar int vertex_indices\n"
            "element vertex 4\nproperty float x\nproperty float y\nproperty float z\n",
            "3 0 1 3\n4 1 2 3 0\n0 0 0\n1 0 0\n1 1 0\n0 1 0\n");
    Model m;
    formats::ReadResult r;
    ASSERT_EQ(formats::ReadPlyBytes(facesFirst, m.host, &r), 1) << r.detail;
    EXPECT_EQ(CornerText(m), " (0 0 0) (1 0 0) (0 1 0), (1 0 0) (1 1 0) (0 1 0) (0 0 0),");

    const std::string twoVertexElements =
        Ply("ascii",
            "element vertex 2\nproperty float x\nproperty float y\nproperty float z\n"
            "property uchar red\nproperty uchar green\nproperty uchar blue\n"
            "element vertex 3\nproperty float x\nproperty float y\nproperty float z\n"
            "element face 1\nproperty list uchar int vertex_indices\n",
            "0 0 0 255 0 0\n1 0 0 0 255 0\n0 1 0\n5 5 5\n6 6 6\n3 0 1 2\n");
    Model n;
    ASSERT_EQ(formats::ReadPlyBytes(twoVertexElements, n.host, &r), 1) << r.detail;
    EXPECT_EQ(CornerText(n), " (0 0 0) (1 0 0) (0 1 0),");
    // Red, green and white: (255+0+255)/3 = 170, (0+255+255)/3 = 170, (0+0+255)/3 = 85.
    EXPECT_EQ(n.host.m_pMesh->FaceRecords()[0].color, 0xFFAAAA55u);
}

// A binary file of many pages read from the disk (whose pages the reader gives back as it
// goes) and from a pipe gives the faces of the same bytes read in memory: a grid of
// 200 x 200 vertices, two triangles a square.
TEST(PlyReader, AFileOnDiskOrFromAPipeReadsAsItsBytesInMemory) {
    constexpr int kSide = 200;
    std::string body;
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            for (float f : {float(x), float(y), 0.0f}) base::AppendLEFloat(body, f);
        }
    }
    for (int y = 0; y + 1 < kSide; ++y) {
        for (int x = 0; x + 1 < kSide; ++x) {
            const std::uint32_t a = std::uint32_t(y * kSide + x);
            for (const auto& tri :
                 {std::array<std::uint32_t, 3>{a, a + 1, a + kSide},
                  std::array<std::uint32_t, 3>{a + 1, a + kSide + 1, a + kSide}}) {
                body += '\x03';
                for (std::uint32_t k : tri) base::AppendLE32(body, k);
            }
        }
    }
    const std::string file = Ply("binary_little_endian",
                                 "element vertex " + std::to_string(kSide * kSide) +
                                     "\nproperty float x\nproperty float y\nproperty float z\n"
                                     "element face " +
                                     std::to_string(2 * (kSide - 1) * (kSide - 1)) +
                                     "\nproperty list uchar uint vertex_indices\n",
                                 body);
    Model inMemory;
    ASSERT_EQ(formats::ReadPlyBytes(file, inMemory.host), 1);
    const rm::MeshBuilder& expected = *inMemory.host.m_pMesh;
    ASSERT_EQ(expected.GetFaceCount(), 2 * 199 * 199);
    // The last square's second triangle.
    EXPECT_EQ(testing_support::LastFaceText(expected), " (199 198 0) (199 199 0) (198 199 0)");

    testing_support::TempDir dir;
    const std::string path = dir.Path("grid.ply");
    testing_support::WriteFile(path, file);
    const std::string pipe = dir.Path("pipe.ply");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    Model onDisk, fromPipe;
    formats::ReadResult r;
    ASSERT_EQ(formats::ReadPly(path, onDisk.host, &r), 1) << r.detail;
    std::thread writer([&] { testing_support::WriteFile(pipe, file); });
    const int piped = formats::ReadPly(pipe, fromPipe.host, &r);
    writer.join();
    ASSERT_EQ(piped, 1) << r.detail;
    EXPECT_TRUE(testing_support::SameFaces(*onDisk.host.m_pMesh, expected));
    EXPECT_TRUE(testing_support::SameFaces(*fromPipe.host.m_pMesh, expected));
}

TEST(PlyReader, RealFilesOfAnotherProgramHaveItsFaceCounts) {
    for (const char* name : {"by-assimp/WusonOBJ_binary.ply", "by-assimp/WusonOBJ_ascii.ply"}) {
        SCOPED_TRACE(name);
        Model m;
        formats::ReadResult r;
        ASSERT_EQ(formats::ReadPly(testing_support::RealFile(name), m.host, &r), 1) << r.detail;
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 3732);
        EXPECT_EQ(m.host.m_pMesh->Vertices().size(), 11196u);  // the header's count
    }
}

}  // namespace
