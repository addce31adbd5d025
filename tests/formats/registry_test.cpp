#include "formats/registry.h"

#include <gtest/gtest.h>

#include "doc/model_io.h"
#include "test_support.h"

namespace {

TEST(Registry, ExtensionsCompareWithoutCase) {
    ASSERT_NE(formats::FindReader("C:/models/MODEL.DXF"), nullptr);
    EXPECT_EQ(formats::FindReader("C:/models/MODEL.DXF")->extension, "dxf");
    ASSERT_NE(formats::FindWriter("out/a.LWO"), nullptr);
    EXPECT_EQ(formats::FindWriter("out/a.LWO")->extension, "lwo");
    EXPECT_EQ(formats::FindWriter("notes.txt"), nullptr);
    EXPECT_EQ(formats::FindReader("model.dsm"), nullptr);  // DSM is written only
    EXPECT_EQ(formats::FindWriter("model.rok"), nullptr);  // Rokkaku Daioh is read only
    EXPECT_EQ(formats::FindReader("folder.x/noextension"), nullptr);
}

}  // namespace

namespace {

using testing_support::Model;
using testing_support::RealFile;
using testing_support::TempDir;

const char* const kObjTriangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
const char* const kMqoTriangle =
    "Metasequoia Document\nFormat Text Ver 1.0\nObject \"o\" {\n"
    "vertex 3 {\n0 0 0\n100 0 0\n0 100 0\n}\nface 1 {\n3 V(0 1 2)\n}\n}\n";

// Each reader reports why it failed as a kind, which callers act on without reading text.
TEST(Registry, ReadersReportTheKindOfTheirFailure) {
    TempDir dir;
    const std::string cube = dir.Path("cube.obj");
    testing_support::WriteFile(cube, kObjTriangle);
    const std::string triangle = dir.Path("triangle.mqo");
    testing_support::WriteFile(triangle, kMqoTriangle);
    const std::string garbage = dir.Path("garbage.mqo");
    testing_support::WriteFile(garbage, "not a document\n");
    const std::string layered = dir.Path("layered.lwo");
    testing_support::WriteFile(layered, std::string("FORM\0\0\0\x04LWLO", 12));
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
        {layered, formats::ReadFailure::Unsupported},
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

namespace {

// The dialogs' entries come from the registry: the program's own texts first, byte for
// byte, then the added formats', each naming a format the registry really reads or writes.
TEST(Registry, DialogFiltersKeepTheirFirstEntriesAndAddTheRest) {
    const std::string open = formats::OpenFilter();
    const std::string save = formats::SaveFilter();
    const std::string openFirst =
        "全ての形式(*.x;*.lwo;*.obj;*.mqo;*.rok;*.dxf)|*.x;*.lwo;*.obj;*.rok;*.dxf;*.mqo|"
        "DirectXファイル(*.x)|*.x|LightWaveファイル(*.lwo)|*.lwo|Wavefrontファイル(*.obj)|*.obj|"
        "Metasequoia Ver.1ファイル(*.mqo)|*.mqo|六角大王ファイル(*.rok)|*.rok|DXFファイル(*.dxf)|"
        "*.dxf|";
    const std::string saveFirst =
        "DirectXファイル(*.x)|*.x|LightWaveファイル(*.lwo)|*.lwo|MetasequoiaVer.2ファイル(*.mqo)|"
        "*.mqo|DXFファイル(*.dxf)|*.dxf|DSMファイル(*.dsm)|*.dsm|";
    EXPECT_EQ(open.substr(0, openFirst.size()), openFirst);
    EXPECT_EQ(save.substr(0, saveFirst.size()), saveFirst);
    // Every later entry is "label|*.ext|" for a format of the list, and the lists agree.
    auto laterExtensions = [](const std::string& filter, std::size_t from) {
        std::vector<std::string> exts;
        std::size_t pos = from;
        while (pos < filter.size()) {
            const std::size_t bar = filter.find('|', pos);
            const std::size_t end = filter.find('|', bar + 1);
            EXPECT_NE(end, std::string::npos);
            if (end == std::string::npos) break;
            const std::string pattern = filter.substr(bar + 1, end - bar - 1);
            EXPECT_EQ(pattern.substr(0, 2), "*.");
            EXPECT_NE(filter.substr(pos, bar - pos).find("(" + pattern + ")"), std::string::npos);
            exts.push_back(pattern.substr(2));
            pos = end + 1;
        }
        return exts;
    };
    std::vector<std::string> writers;
    for (const auto& w : formats::Writers()) writers.emplace_back(w.extension);
    std::vector<std::string> saved = {"x", "lwo", "mqo", "dxf", "dsm"};
    for (const std::string& e : laterExtensions(save, saveFirst.size())) saved.push_back(e);
    EXPECT_EQ(saved, writers);
    std::vector<std::string> readers;
    for (const auto& r : formats::Readers()) readers.emplace_back(r.extension);
    std::vector<std::string> opened = {"x", "lwo", "obj", "mqo", "rok", "dxf"};
    for (const std::string& e : laterExtensions(open, openFirst.size())) opened.push_back(e);
    EXPECT_EQ(opened, readers);
}

TEST(Registry, EachFormatHasOneConvention) {
    using model::Handedness;
    for (const char* left : {"a.x", "a.lwo", "a.mqo", "a.rok", "a.dxf", "a.dsm"})
        EXPECT_EQ(formats::ConventionOf(left), Handedness::Left) << left;
    for (const char* right : {"a.gltf", "a.GLB", "a.obj", "a.stl", "a.ply"})
        EXPECT_EQ(formats::ConventionOf(right), Handedness::Right) << right;
    EXPECT_EQ(formats::ConventionOf("a.txt"), Handedness::None);
}

// The model takes the convention of the first file into it; one of the other convention
// makes it mixed, and New forgets it.
TEST(Registry, TheModelRemembersTheConventionOfItsFiles) {
    TempDir dir;
    const std::string obj = dir.Path("t.obj");
    testing_support::WriteFile(obj, kObjTriangle);
    const std::string mqo = dir.Path("t.mqo");
    testing_support::WriteFile(mqo, kMqoTriangle);
    Model m;
    EXPECT_EQ(m.host.handedness, model::Handedness::None);
    EXPECT_FALSE(doc::ImportFile(m.host, *m.table, obj).becameMixed);
    EXPECT_EQ(m.host.handedness, model::Handedness::Right);
    EXPECT_FALSE(doc::ImportFile(m.host, *m.table, obj).becameMixed);
    EXPECT_EQ(m.host.handedness, model::Handedness::Right);
    EXPECT_TRUE(doc::ImportFile(m.host, *m.table, mqo).becameMixed);
    EXPECT_EQ(m.host.handedness, model::Handedness::Mixed);
    EXPECT_FALSE(doc::ImportFile(m.host, *m.table, obj).becameMixed);  // said once
    EXPECT_EQ(m.host.handedness, model::Handedness::Mixed);
    // A file that fails to read changes nothing.
    Model n;
    EXPECT_FALSE(doc::ImportFile(n.host, *n.table, dir.Path("missing.mqo")).ok());
    EXPECT_EQ(n.host.handedness, model::Handedness::None);
    EXPECT_TRUE(doc::ImportFile(n.host, *n.table, mqo).ok());
    EXPECT_EQ(n.host.handedness, model::Handedness::Left);
}

}  // namespace
