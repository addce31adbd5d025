// Textures named in .x files: real files load with or without their bitmaps, and a model
// textured and wrapped here comes back the same from its .x export.
#include <gtest/gtest.h>

#include <filesystem>

#include "doc/document.h"
#include "doc/model_io.h"
#include "doc/surface_commands.h"
#include "fake_ports.h"
#include "rm/bmp_builder.h"
#include "test_support.h"

namespace {

using testing_support::Model;
using testing_support::RealFile;
using testing_support::TempDir;
using testing_support::WriteFile;

// Names of the textures on the model's faces, each once.
std::vector<std::string> TextureNames(rm::MeshBuilder& mesh) {
    std::vector<std::string> names;
    for (int f = 0; f < mesh.GetFaceCount(); ++f) {
        if (const rm::TexturePtr t = mesh.GetFace(f).GetTexture()) {
            if (std::find(names.begin(), names.end(), t->GetName()) == names.end()) {
                names.push_back(t->GetName());
            }
        }
    }
    return names;
}

TEST(XTextures, RealFilesLoadWithoutTheirBitmapsAndKeepTheNames) {
    struct Case {
        const char* file;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"x/tiger.x", {"tiger.bmp"}},
        {"x/seafloor.x", {"seafloor.bmp"}},
        {"x/ball.x", {}},  // binary; checked for loading only
        {"x/kwxport_test_cubewithvcolors.x", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Model m;
        const doc::ImportReport r = doc::ImportFile(m.host, *m.table, RealFile(c.file));
        ASSERT_TRUE(r.ok()) << r.read.detail;
        const std::vector<std::string> names = TextureNames(*m.host.m_pMesh);
        EXPECT_FALSE(names.empty());
        if (!c.names.empty()) {
            EXPECT_EQ(names, c.names);
        }
        EXPECT_EQ(r.read.missingTextures.size(), names.size());
        for (int f = 0; f < m.host.m_pMesh->GetFaceCount(); ++f) {
            if (const rm::TexturePtr t = m.host.m_pMesh->GetFace(f).GetTexture()) {
                EXPECT_TRUE(t->Pixels().empty());
            }
        }
    }
}

TEST(XTextures, OpeningAFileWithAMissingBitmapSucceedsAndSaysSoInTheStatusBar) {
    doc::Session session;
    session.CreateScene(std::make_shared<rm::Root>());
    testing_support::ScriptedUi ui;
    testing_support::RecordingFrame frame;
    doc::CMdlrDoc document(session, ui, frame);
    EXPECT_TRUE(document.OpenDocumentFile(RealFile("x/tiger.x")));
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_FALSE(frame.statusTexts.empty());
    EXPECT_EQ(frame.statusTexts.back(), "1個のテクスチャーを読み込めませんでした");
}

TEST(XTextures, ABitmapOnTheSearchPathIsLoadedForTheNamedTexture) {
    TempDir dir;
    std::filesystem::create_directories(dir.Dir() / "TEXTURE");
    WriteFile(dir.Path("TEXTURE/tiger.bmp"), testing_support::CheckerBmp(16, 4));
    Model m;
    m.host.m_pD3DRoot->AddSearchPath(dir.Path("TEXTURE/"));
    const doc::ImportReport r = doc::ImportFile(m.host, *m.table, RealFile("x/tiger.x"));
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r.read.missingTextures.empty());
    const rm::TexturePtr t = m.host.m_pMesh->GetFace(0).GetTexture();
    ASSERT_TRUE(t);
    EXPECT_EQ(t->GetName(), "tiger.bmp");
    EXPECT_EQ(t->Width(), 16);
    EXPECT_EQ(m.table->faceTexture[0], t);
}

TEST(XTextures, ATexturedWrappedModelComesBackTheSameFromItsExport) {
    TempDir dir;
    std::filesystem::create_directories(dir.Dir() / "TEXTURE");
    WriteFile(dir.Path("TEXTURE/check.bmp"), testing_support::CheckerBmp(8, 2));
    doc::Session session;
    session.programFolder = dir.Path("");
    session.CreateScene(std::make_shared<rm::Root>());
    const rm::Vector v[] = {{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {0, 1, 0}, {0, 0, 1}, {2, 0, 1}};
    const std::int32_t faces[] = {4, 0, 1, 2, 3, 4, 0, 4, 5, 1, 0};
    ASSERT_TRUE(session.model.m_pMesh->AddFaces(v, {}, faces));
    session.Table().ReadFromMesh(session.model);
    ASSERT_TRUE(session.Table().RebuildMesh(session.model));

    testing_support::ScriptedUi ui;
    testing_support::RecordingFrame frame;
    ui.files = {dir.Path("TEXTURE/check.bmp")};
    ui.onDialog = [](ports::ModalDialog& d) {
        dynamic_cast<doc::WrapDialogData&>(d).m_nMapping = 1;  // cylinder on X
        return true;
    };
    doc::OnTextureLoad(session, ui, frame);
    const std::string out = dir.Path("out.x");
    ASSERT_TRUE(doc::ExportFile(session.model, session.Table(), out).ok);

    Model back;
    const doc::ImportReport r = doc::ImportFile(back.host, *back.table, out);
    ASSERT_TRUE(r.ok()) << r.read.detail;
    EXPECT_TRUE(r.read.missingTextures.empty());
    const model::FaceTable& a = session.Table();
    const model::FaceTable& b = *back.table;
    ASSERT_EQ(b.faceCount, a.faceCount);
    for (int f = 0; f < a.faceCount; ++f) {
        ASSERT_TRUE(b.faceTexture[f]);
        EXPECT_EQ(b.faceTexture[f]->GetName(), a.faceTexture[f]->GetName());
        EXPECT_EQ(b.faceTexture[f]->Pixels(), a.faceTexture[f]->Pixels());
        ASSERT_EQ(b.vertexCount[f], a.vertexCount[f]);
        for (int k = 0; k < a.vertexCount[f]; ++k) {
            EXPECT_EQ(b.position[f][k], a.position[f][k]);
            EXPECT_FLOAT_EQ(b.texU[f][k], a.texU[f][k]);
            EXPECT_FLOAT_EQ(b.texV[f][k], a.texV[f][k]);
        }
    }
}

}  // namespace
