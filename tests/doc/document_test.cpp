// The file commands through scripted dialogs: what Open, Save As and New do to the model,
// the title, the recent files and the messages.
#include "doc/document.h"

#include <gtest/gtest.h>

#include "doc/commands.h"
#include "doc/texts.h"
#include "fake_ports.h"
#include "test_support.h"

namespace {

using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

// One 3DFACE per call, a unit square at height z.
std::string DxfSquare(int z) {
    const std::string zs = std::to_string(z);
    std::string s = "0\nSECTION\n2\nENTITIES\n0\n3DFACE\n8\n0\n";
    s += "10\n0\n20\n0\n30\n" + zs + "\n11\n1\n21\n0\n31\n" + zs + "\n";
    s += "12\n1\n22\n1\n32\n" + zs + "\n13\n0\n23\n1\n33\n" + zs + "\n";
    return s + "0\nENDSEC\n0\nEOF\n";
}
const char* kObjTriangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";

struct DocFixture : ::testing::Test {
    TempDir dir;
    doc::Session session;
    testing_support::ScriptedUi ui;
    testing_support::RecordingFrame frame;
    doc::CMdlrDoc document{session, ui, frame};

    DocFixture() {
        session.programFolder = dir.Path("");
        session.CreateScene(std::make_shared<rm::Root>());
    }
    int Faces() { return session.Table().faceCount; }
    int MeshFaces() { return session.model.m_pMesh->GetFaceCount(); }
    std::string File(const std::string& name, const std::string& bytes) {
        WriteFile(dir.Path(name), bytes);
        return dir.Path(name);
    }
};

TEST_F(DocFixture, OpenAsksWithTheProgramsFilterAndAppendsEachFile) {
    const std::string a = File("a.dxf", DxfSquare(0));
    const std::string b = File("b.obj", kObjTriangle);
    ui.files = {a, b};
    document.OnFileOpen();
    document.OnFileOpen();

    ASSERT_EQ(ui.fileRequests.size(), 2u);
    // The program's own entries first, byte for byte; the added formats' entries follow
    // (the registry's tests check those).
    const std::string first =
        "open ext=x flags=0x4 folder=" + session.programFolder +
        " name= | "
        "全ての形式(*.x;*.lwo;*.obj;*.mqo;*.rok;*.dxf)|*.x;*.lwo;*.obj;*.rok;*.dxf;*.mqo|"
        "DirectXファイル(*.x)|*.x|LightWaveファイル(*.lwo)|*.lwo|Wavefrontファイル(*.obj)|"
        "*.obj|Metasequoia Ver.1ファイル(*.mqo)|*.mqo|六角大王ファイル(*.rok)|*.rok|"
        "DXFファイル(*.dxf)|*.dxf|";
    const std::string described = testing_support::Describe(ui.fileRequests[0]);
    EXPECT_EQ(described.substr(0, first.size()), first);
    EXPECT_NE(described.find("STLファイル(*.stl)|*.stl|", first.size()), std::string::npos);
    EXPECT_EQ(Faces(), 2);
    EXPECT_EQ(MeshFaces(), 2);
    EXPECT_EQ(session.Table().vertexCount[0], 4);
    EXPECT_EQ(session.Table().vertexCount[1], 3);
    EXPECT_EQ(frame.updates, 2);
    // Open is an import: neither the title nor the recent files change.
    EXPECT_EQ(frame.title, "");
    EXPECT_TRUE(frame.recent.empty());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(DocFixture, OpenChoosesTheReaderWhateverTheCaseAndCancelDoesNothing) {
    ui.files = {File("MODEL.DXF", DxfSquare(1)), std::nullopt};
    document.OnFileOpen();
    EXPECT_EQ(Faces(), 1);
    document.OnFileOpen();  // cancelled
    EXPECT_EQ(Faces(), 1);
    EXPECT_EQ(frame.updates, 1);
}

TEST_F(DocFixture, UnknownExtensionKeepsTheModelButStillRedraws) {
    document.Import(File("a.dxf", DxfSquare(0)));
    session.Table().selected[0][2] = 1;
    const doc::ImportReport r = document.Import(File("notes.txt", DxfSquare(5)));
    EXPECT_FALSE(r.readerFound);
    EXPECT_TRUE(r.rebuilt);
    EXPECT_EQ(Faces(), 1);
    EXPECT_EQ(session.Table().position[0][0].z, 0.0f);
    EXPECT_EQ(session.Table().selected[0][2], 1);  // selection flags stay with their face
    EXPECT_EQ(frame.updates, 2);
    // A message box says which file and why, in Japanese; the status bar is left alone.
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "notes.txtを読み込めませんでした。\n" + std::string(doc::text::kFailUnknownFormat));
    EXPECT_EQ(ui.messages[0].caption, std::string(doc::text::kOpenFailedCaption));
    EXPECT_TRUE(frame.statusTexts.empty());
}

TEST_F(DocFixture, AFailedReadLeavesTheModelAndSaysWhyInAMessageBox) {
    document.Import(File("a.dxf", DxfSquare(0)));
    const rm::MeshBuilder* before = session.model.m_pMesh.get();
    const doc::ImportReport r = document.Import(File("broken.obj", "v 0 0\nf 1 2 3\n"));
    EXPECT_FALSE(r.read.ok());
    EXPECT_EQ(r.read.kind, formats::ReadFailure::Malformed);
    EXPECT_EQ(Faces(), 1);
    EXPECT_EQ(session.model.m_pMesh.get(), before);
    // The mesh is attached to the model frame again.
    const auto& visuals = session.model.m_pModelFrame->Visuals();
    EXPECT_EQ(std::count(visuals.begin(), visuals.end(), session.model.m_pMesh), 1);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text.rfind("broken.objを読み込めませんでした。\n", 0), 0u);
    EXPECT_NE(ui.messages[0].text.find(doc::text::kFailMalformed), std::string::npos);
    EXPECT_EQ(ui.messages[0].icon, ports::Icon::Exclamation);
    EXPECT_TRUE(frame.statusTexts.empty());
    EXPECT_EQ(frame.modelsOpened, 1);  // only the first, good import into an empty model
}

TEST_F(DocFixture, TheModelsLimitsDroppingFacesAreReportedWithCounts) {
    std::string obj;
    for (int i = 0; i < 20; ++i)
        obj += "v " + std::to_string(i) + " 0 " + std::to_string(i % 3) + "\n";
    // 5001 triangles: one too many.
    for (int i = 0; i < 5001; ++i) obj += "f 18 19 20\n";
    document.Import(File("many.obj", obj));
    EXPECT_EQ(Faces(), model::MAX_FACES);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, std::string(doc::text::kDroppedCaption));
    EXPECT_NE(ui.messages[0].text.find("個の面"), std::string::npos);
}

TEST_F(DocFixture, SaveAsPicksTheWriterByExtensionInAnyCase) {
    document.Import(File("a.dxf", DxfSquare(0)));
    const std::string out = dir.Path("OUT.LWO");
    ui.files = {out};
    document.OnFileSaveAs();
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    // The program's own entries first, byte for byte; the added formats' entries follow.
    const std::string first = "save ext=x flags=0x2 folder=" + ui.fileRequests[0].initialFolder +
                              " name= | "
                              "DirectXファイル(*.x)|*.x|LightWaveファイル(*.lwo)|*.lwo|"
                              "MetasequoiaVer.2ファイル(*.mqo)|*.mqo|DXFファイル(*.dxf)|*.dxf|"
                              "DSMファイル(*.dsm)|*.dsm|";
    const std::string described = testing_support::Describe(ui.fileRequests[0]);
    EXPECT_EQ(described.substr(0, first.size()), first);
    EXPECT_NE(described.find("glTFファイル(*.gltf)|*.gltf|", first.size()), std::string::npos);
    const std::string bytes = ReadFile(out);
    ASSERT_GE(bytes.size(), 12u);
    EXPECT_EQ(bytes.substr(0, 4), "FORM");
    EXPECT_EQ(bytes.substr(8, 4), "LWOB");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(frame.title, "");  // Save As changes no title
}

TEST_F(DocFixture, AFailedOrImpossibleSaveSaysTheFileWasNotCreated) {
    document.Import(File("a.dxf", DxfSquare(0)));
    const std::string missingFolder = dir.Path("no/such/folder/a.mqo");
    const std::string text = dir.Path("notes.txt");
    const std::string x = dir.Path("no/such/folder/a.x");
    for (const std::string& path : {missingFolder, text, x}) {
        ui.messages.clear();
        EXPECT_FALSE(document.Export(path)) << path;
        ASSERT_EQ(ui.messages.size(), 1u) << path;
        EXPECT_EQ(ui.messages[0].text, path + "を作成できませんでした。\n");
        EXPECT_EQ(ui.messages[0].caption, "エラー");
        EXPECT_EQ(ui.messages[0].buttons, ports::Buttons::Ok);
    }
    EXPECT_FALSE(std::filesystem::exists(text));
}

TEST_F(DocFixture, NewEmptiesTableAndMeshAndKeepsTheQuality) {
    document.Import(File("a.dxf", DxfSquare(0)));
    session.model.m_pMesh->SetQuality(rm::Quality::Flat);
    const rm::MeshBuilderPtr old = session.model.m_pMesh;
    doc::CommandRouter router;
    document.RegisterCommands(router);
    ui.answers = {ports::Answer::No};  // the import made the model modified: do not save
    EXPECT_TRUE(router.Execute(doc::ID_FILE_NEW));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(Faces(), 0);
    EXPECT_EQ(MeshFaces(), 0);
    EXPECT_NE(session.model.m_pMesh, old);
    EXPECT_EQ(session.model.m_pMesh->GetQuality(), rm::Quality::Flat);
    const auto& visuals = session.model.m_pModelFrame->Visuals();
    ASSERT_EQ(visuals.size(), 1u);
    EXPECT_EQ(visuals[0], session.model.m_pMesh);
    EXPECT_EQ(frame.title, "無題");
    EXPECT_EQ(frame.updates, 2);
}

TEST_F(DocFixture, CtrlSAsksForANameInsteadOfWritingAnEmptyFile) {
    doc::CommandRouter router;
    document.RegisterCommands(router);
    ui.files = {std::nullopt};
    EXPECT_TRUE(router.Execute(doc::ID_FILE_SAVE));
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_FALSE(ui.fileRequests[0].open);
}

TEST_F(DocFixture, AFileFromTheCommandLineReplacesTheModelAndNamesTheTitle) {
    document.Import(File("a.dxf", DxfSquare(0)));
    const std::string b = File("b.obj", kObjTriangle);
    EXPECT_TRUE(document.OpenDocumentFile(b));
    EXPECT_EQ(Faces(), 1);
    EXPECT_EQ(session.Table().vertexCount[0], 3);
    EXPECT_EQ(frame.title, "b.obj");
    EXPECT_EQ(document.Title(), "b.obj");
    EXPECT_EQ(frame.recent, std::vector<std::string>{b});
}

TEST_F(DocFixture, AnUnreadableFileFromTheRecentListLeavesAnEmptyUntitledModel) {
    const std::string good = File("b.obj", kObjTriangle);
    const std::string gone = dir.Path("gone.dxf");
    frame.recent = {gone};
    EXPECT_TRUE(document.OpenDocumentFile(good));
    EXPECT_FALSE(document.OpenDocumentFile(gone));
    EXPECT_EQ(Faces(), 0);
    EXPECT_EQ(MeshFaces(), 0);
    EXPECT_EQ(frame.title, "無題");
    EXPECT_EQ(frame.recent, std::vector<std::string>{good});
}

}  // namespace

namespace {

TEST(ReadFailures, EachKindAndTheCommonDetailsInJapanese) {
    using formats::ReadFailure;
    using formats::ReadResult;
    namespace text = doc::text;
    const auto reason = [](ReadFailure k, std::string d) {
        return doc::ReadFailureReason(ReadResult::Failure(k, std::move(d)));
    };
    EXPECT_EQ(reason(ReadFailure::Unsupported, "document version is newer than 1.0"),
              std::string(text::kFailUnsupported) + "\n" + std::string(text::kDetailVersion));
    EXPECT_EQ(reason(ReadFailure::Unsupported, "this LightWave layout (LWO2) is not supported"),
              std::string(text::kFailUnsupported) + "\n" + std::string(text::kDetailLayout));
    EXPECT_EQ(reason(ReadFailure::Malformed, "the file has no faces"),
              std::string(text::kFailMalformed) + "\n" + std::string(text::kDetailNoFaces));
    EXPECT_EQ(reason(ReadFailure::Malformed, "end of file in a face block at line 12"),
              std::string(text::kFailMalformed) + "\n" + std::string(text::kDetailTruncated) +
                  "\n12行目で読めなくなりました。");
    EXPECT_EQ(reason(ReadFailure::Malformed, "damaged compressed block at offset 4096"),
              std::string(text::kFailMalformed) + "\n" + std::string(text::kDetailDamaged) +
                  "\n4096バイト目で読めなくなりました。");
    // A detail no text covers follows as the reader wrote it.
    EXPECT_EQ(reason(ReadFailure::Malformed, "3DFACE group codes out of order"),
              std::string(text::kFailMalformed) + "\n(3DFACE group codes out of order)");
    EXPECT_EQ(reason(ReadFailure::Unreadable, ""), std::string(text::kFailUnreadable));
    EXPECT_EQ(reason(ReadFailure::MergeRefused, ""), std::string(text::kFailMergeRefused));
    EXPECT_EQ(reason(ReadFailure::NoModel, ""), std::string(text::kFailNoModel));
    EXPECT_EQ(doc::ReadFailureReason(ReadResult::Success()), "");
}

TEST(ReadFailures, TheFaceLimitWarningNamesOnlyWhatWasDropped) {
    EXPECT_NE(doc::DroppedWarning(518, 0).find("518個の面を読み込めませんでした"),
              std::string::npos);
    EXPECT_EQ(doc::DroppedWarning(518, 0).find("頂点を読み込めません"), std::string::npos);
    EXPECT_NE(doc::DroppedWarning(0, 7).find("超えたため、7個の頂点を読み込めませんでした"),
              std::string::npos);
    EXPECT_NE(doc::DroppedWarning(2, 7).find("2個の面と7個の頂点を"), std::string::npos);
    EXPECT_EQ(doc::DroppedWarning(0, 0), "");
}

TEST_F(DocFixture, DialogsStartInTheFolderLastUsedAndSaveAsSuggestsTheFilesName) {
    TempDir other;
    ui.files = {std::nullopt};
    document.OnFileOpen();  // the first time: the program's folder
    EXPECT_EQ(ui.fileRequests.back().initialFolder, session.programFolder);
    // A replacing open (command line, drop, recent list): its folder is the one last used,
    // so Save As suggests the file's name where the file is.
    const std::string a = other.Path("a.dxf");
    WriteFile(a, DxfSquare(0));
    ASSERT_TRUE(document.OpenDocumentFile(a));
    ui.files = {other.Path("sub/out.lwo"), std::nullopt};
    document.OnFileSaveAs();
    EXPECT_EQ(ui.fileRequests.back().initialFolder, other.Path(""));
    EXPECT_EQ(ui.fileRequests.back().initialName, "a.dxf");
    EXPECT_EQ(ui.fileRequests.back().defaultExtension, "x");
    document.OnFileOpen();  // where the save went
    EXPECT_EQ(ui.fileRequests.back().initialFolder, other.Path("sub/"));
    EXPECT_EQ(ui.fileRequests.back().initialName, "");
    // New forgets the name.
    document.OnFileNew();
    ui.files = {std::nullopt};
    document.OnFileSaveAs();
    EXPECT_EQ(ui.fileRequests.back().initialName, "");
}

TEST_F(DocFixture, NewResetsTheViewAndAReplacingOpenAsksToBringTheModelIntoView) {
    session.ViewScale = 3.0f;
    session.viewCentre = {1, 2, 3};
    session.model.m_pModelFrame->AddRotation(rm::COMBINE_AFTER, 1, 0, 0, 0.5f);
    document.OnFileNew();
    EXPECT_EQ(session.ViewScale, 120.0f);
    EXPECT_EQ(session.viewCentre.z, 0.0f);
    EXPECT_EQ(session.model.m_pModelFrame->GetTransform(), rm::Matrix{});
    EXPECT_EQ(frame.modelsOpened, 0);
    ASSERT_TRUE(document.OpenDocumentFile(File("a.dxf", DxfSquare(0))));
    EXPECT_EQ(frame.modelsOpened, 1);
    // An Open into a model that holds faces adds to it and leaves the view to the user.
    document.Import(File("b.dxf", DxfSquare(1)));
    EXPECT_EQ(frame.modelsOpened, 1);
    // A failed replacing open asks nothing.
    EXPECT_FALSE(document.OpenDocumentFile(File("c.obj", "v 0 0\nf 1 2 3\n")));
    EXPECT_EQ(frame.modelsOpened, 1);
}

}  // namespace
