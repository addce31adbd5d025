// The sample models shipped in MODEL: each one loads whole, and every face turns its front
// (the side its normal points to) outwards, so the shaded pane shows the solid and not its
// inside.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "doc/model_io.h"
#include "rm/bitmap.h"
#include "rm/types.h"
#include "test_support.h"

namespace {

struct Sample {
    const char* file;
    int faces;
};

TEST(Samples, LoadWholeWithEveryFaceFacingOutwards) {
    const Sample samples[] = {
        {"cube.mqo", 6}, {"pyramid.mqo", 5}, {"house.mqo", 12}, {"house.x", 12}};
    for (const Sample& s : samples) {
        SCOPED_TRACE(s.file);
        testing_support::Model m;
        const doc::ImportReport r =
            doc::ImportFile(m.host, *m.table, std::string(KESTRILUNE_SAMPLES) + "/" + s.file);
        ASSERT_TRUE(r.ok()) << r.read.detail;
        EXPECT_EQ(r.stats.droppedFaces, 0);
        EXPECT_EQ(r.stats.droppedCorners, 0);
        const model::FaceTable& t = *m.table;
        ASSERT_EQ(t.faceCount, s.faces);

        // The centre of the bounding box lies inside each of these solids.
        rm::Vector lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
        for (int f = 0; f < t.faceCount; ++f)
            for (int k = 0; k < t.vertexCount[f]; ++k) {
                const rm::Vector& p = t.position[f][k];
                lo = {std::fmin(lo.x, p.x), std::fmin(lo.y, p.y), std::fmin(lo.z, p.z)};
                hi = {std::fmax(hi.x, p.x), std::fmax(hi.y, p.y), std::fmax(hi.z, p.z)};
            }
        const rm::Vector centre{(lo.x + hi.x) / 2, (lo.y + hi.y) / 2, (lo.z + hi.z) / 2};
        // About two model units across: the panes show it whole at the start zoom.
        EXPECT_GT(hi.x - lo.x, 1.5f);
        EXPECT_LT(hi.x - lo.x, 2.5f);

        for (int f = 0; f < t.faceCount; ++f) {
            ASSERT_GE(t.vertexCount[f], 3);
            for (int k = 0; k < t.vertexCount[f]; ++k) {
                const rm::Vector& n = t.normal[f][k];
                EXPECT_NEAR(rm::Dot(n, n), 1.0f, 1e-3f) << "face " << f << " corner " << k;
                EXPECT_GT(rm::Dot(n, t.position[f][k] - centre), 0.0f)
                    << "face " << f << " corner " << k;
            }
        }
    }
}

// The program's own reader takes uncompressed bitmaps only.
TEST(Samples, TextureIsABitmapOurReaderTakesOfPowerOfTwoSize) {
    rm::Bitmap bmp;
    ASSERT_EQ(rm::LoadBitmapFile(std::string(KESTRILUNE_SAMPLES) + "/texture/checker.bmp", &bmp),
              rm::BitmapError::None);
    EXPECT_EQ(bmp.width, 64);
    EXPECT_EQ(bmp.height, 64);
}

}  // namespace
