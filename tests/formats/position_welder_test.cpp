// The position welder of the STL reader: positions equal bit for bit share a vertex, others
// never do, and vertices are numbered in the order their positions first come, however far
// the table has to grow from its hint.
#include "formats/position_welder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <map>
#include <vector>

#include "base/numbers.h"
#include "formats/stl_read.h"
#include "test_support.h"

namespace {

rm::Vector FromBits(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    rm::Vector p;
    std::memcpy(&p.x, &x, 4);
    std::memcpy(&p.y, &y, 4);
    std::memcpy(&p.z, &z, 4);
    return p;
}

std::array<std::uint32_t, 3> Bits(const rm::Vector& p) {
    std::array<std::uint32_t, 3> b;
    std::memcpy(b.data(), &p, sizeof b);
    return b;
}

TEST(PositionWelder, SignedZerosAndNaNsAreTheirOwnPositions) {
    constexpr std::uint32_t kNegZero = 0x80000000u, kNaN = 0x7FC00000u, kOtherNaN = 0x7FC00001u;
    const rm::Vector in[] = {
        FromBits(0, 0, 0),        FromBits(kNegZero, 0, 0),  FromBits(0, 0, kNegZero),
        FromBits(kNaN, 0, 0),     FromBits(kOtherNaN, 0, 0), FromBits(kNaN | kNegZero, 0, 0),
        FromBits(kNaN, 0, 0),     FromBits(0, 0, kNegZero),  FromBits(0, 0, 0),
        FromBits(kNegZero, 0, 0),
    };
    const std::uint32_t expected[] = {0, 1, 2, 3, 4, 5, 3, 2, 0, 1};
    std::vector<rm::Vector> vertices;
    formats::PositionWelder welder(vertices, 4);
    for (std::size_t i = 0; i < std::size(in); ++i) {
        EXPECT_EQ(welder.Find(in[i]), expected[i]) << i;
    }
    ASSERT_EQ(vertices.size(), 6u);
    for (std::size_t v = 0; v < 6; ++v) EXPECT_EQ(Bits(vertices[v]), Bits(in[v])) << v;
}

// Far more positions than the hint, each new one followed by repeats of older ones, with
// the hashes given by the caller (as the reader does) or made by the welder.
TEST(PositionWelder, AGrowingTableKeepsFirstComeOrder) {
    std::vector<rm::Vector> corners;
    for (int i = 0; i < 30000; ++i) {
        const float f = float(i);
        corners.push_back({f * 0.125f, -f, 1.0f});  // new
        corners.push_back(corners[std::size_t(i) * 2 / 3]);
        corners.push_back(corners[corners.size() / 2]);
    }
    // What it must give, by a map of the positions' bits.
    std::map<std::array<std::uint32_t, 3>, std::uint32_t> first;
    std::vector<std::uint32_t> want;
    for (const rm::Vector& p : corners) {
        want.push_back(first.emplace(Bits(p), std::uint32_t(first.size())).first->second);
    }
    ASSERT_EQ(first.size(), 30000u);
    for (bool hashed : {false, true}) {
        std::vector<rm::Vector> vertices;
        formats::PositionWelder welder(vertices, 1);
        std::vector<std::uint32_t> got;
        for (const rm::Vector& p : corners) {
            got.push_back(hashed ? welder.Find(p, formats::PositionWelder::Hash(p))
                                 : welder.Find(p));
        }
        EXPECT_EQ(got, want);
        ASSERT_EQ(vertices.size(), first.size());
        for (const auto& [bits, v] : first) EXPECT_EQ(Bits(vertices[v]), bits);
    }
}

// A binary file of more triangles than the reader fetches ahead, most of whose corners
// repeat; one triangle has -0.0 where the others have 0.0.
TEST(PositionWelder, TheBinaryReaderSharesOnlyEqualBits) {
    std::string file(80, ' ');
    const int n = 40;
    base::AppendLE32(file, std::uint32_t(n));
    for (int t = 0; t < n; ++t) {
        const float x = float(t / 2);
        // A strip: triangle t uses the columns t/2 and t/2 + 1 of two rows.
        const float z = t == 10 ? -0.0f : 0.0f;
        const float c[9] = {x, 0, z, x + 1, t % 2 ? 1.0f : 0.0f, z, x, 1, z};
        for (int i = 0; i < 3; ++i) base::AppendLEFloat(file, 0.0f);
        for (float f : c) base::AppendLEFloat(file, f);
        file.append(2, '\0');
    }
    testing_support::Model m;
    formats::ReadResult r;
    ASSERT_EQ(formats::ReadStlBytes(file, m.host, &r), 1) << r.detail;
    EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), n);
    // The columns 0..20 of both rows, and triangle 10's (5, 0, -0), (6, 0, -0), (5, 1, -0),
    // whose 0.0 twins come in triangles 11 and 12 as well.
    EXPECT_EQ(m.host.m_pMesh->Vertices().size(), 42u + 3u);
}

}  // namespace
