#include "formats/registry.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

TEST(Registry, ExtensionsCompareWithoutCase) {
    ASSERT_NE(formats::FindReader("C:/models/MODEL.DXF"), nullptr);
    EXPECT_EQ(formats::FindReader("C:/models/MODEL.DXF")->extension, "dxf");
    ASSERT_NE(formats::FindWriter("out/a.LWO"), nullptr);
    EXPECT_EQ(formats::FindWriter("out/a.LWO")->extension, "lwo");
    EXPECT_EQ(formats::FindWriter("notes.txt"), nullptr);
    EXPECT_EQ(formats::FindReader("model.dsm"), nullptr);  // DSM is written only
    EXPECT_EQ(formats::FindWriter("model.obj"), nullptr);  // OBJ is read only
    EXPECT_EQ(formats::FindReader("folder.x/noextension"), nullptr);
}

}  // namespace

namespace {

using testing_support::Model;
using testing_support::RealFile;
using testing_support::TempDir;

// Each reader reports why it failed as a kind, which callers act on without reading text.
TEST(Registry, ReadersReportTheKindOfTheirFailure) {
    TempDir dir;
    const std::string cube = dir.Path("cube.obj");
    testing_support::WriteFile(cube, "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    const std::string triangle = dir.Path("triangle.mqo");
    testing_support::WriteFile(
        triangle,
        "Metasequoia Document\nFormat Text Ver 1.0\nObject \"o\" {\n"
        "vertex 3 {\n0 0 0\n100 0 0\n0 100 0\n}\nface 1 {\n3 V(0 1 2)\n}\n}\n");
    const std::string garbage = dir.Path("garbage.mqo");
    testing_support::WriteFile(garbage, "not a document\n");
    const std::string newer = dir.Path("newer.mqo");
    testing_support::WriteFile(newer, "Metasequoia Document\nFormat Text Ver 1.2\n");
    struct Case {
        std::string path;
        formats::ReadFailure kind;
    };
    const Case cases[] = {
        {dir.Path("missing.obj"), formats::ReadFailure::Unreadable},
        {garbage, formats::ReadFailure::Malformed},
        {newer, formats::ReadFailure::Unsupported},
        {RealFile("lwo/not-lwob/box0_LWO3.lwo"), formats::ReadFailure::Unsupported},
        {RealFile("x/malformed/OV_GetNextToken.x"), formats::ReadFailure::Malformed},
        {RealFile("dxf/no-3dface/points.dxf"), formats::ReadFailure::Malformed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const formats::ReaderEntry* reader = formats::FindReader(c.path);
        ASSERT_NE(reader, nullptr);
        Model m;
        const formats::ReadResult r = formats::RunReader(*reader, c.path, m.host);
        EXPECT_EQ(r.kind, c.kind) << r.detail;
        EXPECT_FALSE(r.detail.empty());
        EXPECT_TRUE(r.message.empty());  // no reader shows a box for these
    }
    // A good file, but no mesh to add to, or a root that cannot create the reader's mesh.
    for (const std::string& file :
         {cube, RealFile("lwo/box0.5.lwo"), RealFile("x/test_cube_text.x"), triangle,
          RealFile("dxf/3dface.dxf")}) {
        SCOPED_TRACE(file);
        const formats::ReaderEntry& reader = *formats::FindReader(file);
        Model m;
        m.host.m_pMesh = nullptr;
        EXPECT_EQ(formats::RunReader(reader, file, m.host).kind, formats::ReadFailure::NoModel);
        Model refusing;
        refusing.host.m_pD3DRoot->FailNext(rm::Root::Op::CreateMeshBuilder);
        EXPECT_EQ(formats::RunReader(reader, file, refusing.host).kind,
                  formats::ReadFailure::MergeRefused);
        EXPECT_EQ(refusing.host.m_pMesh->GetFaceCount(), 0);
        Model good;
        EXPECT_TRUE(formats::RunReader(reader, file, good.host).ok());
    }
}

}  // namespace
