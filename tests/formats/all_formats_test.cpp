// What every reader and every writer promises, checked for all of them through the registry:
// numbers ignore the locale, a failed write never damages the old file, and a reader that
// fails adds nothing.
#include <gtest/gtest.h>

#include <filesystem>

#include "formats/registry.h"
#include "formats/text_io.h"
#include "test_support.h"

namespace {

using testing_support::Model;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

const char* const kWriterExtensions[] = {"x",    "lwo", "mqo", "dxf", "dsm",
                                         "gltf", "glb", "obj", "stl", "ply"};

// A triangle and a quad with coordinates that need decimals, two colours.
void FillModel(Model& m) {
    testing_support::ModelBuilder()
        .Vertices({{0.5f, -1.25f, 2},
                   {1.75f, 0, 0.125f},
                   {0, 1.5f, -0.375f},
                   {2.5f, 2.5f, 0.0625f},
                   {-0.5f, 0.75f, 1}})
        .Face({0, 1, 2})
        .Color(255, 128, 0)
        .Face({1, 3, 4, 2})
        .Color(10, 20, 30)
        .Into(m);
    m.table->ReadFromMesh(m.host);  // the rebuilt mesh's normals, as the writers see them
}

std::string WriteWith(const std::string& ext, Model& m, const std::string& path) {
    const formats::WriterEntry* w = formats::FindWriter(path);
    EXPECT_NE(w, nullptr) << ext;
    const std::string title = formats::FileTitle(path);
    std::string error;
    EXPECT_EQ(w->write({path, title, m.host, *m.table}, &error), 1) << ext << ": " << error;
    return ReadFile(path);
}

TEST(AllFormats, NumbersAreTheSameUnderAGermanLocale) {
    Model m;
    FillModel(m);
    TempDir dir;
    std::vector<std::string> inC;
    for (const char* ext : kWriterExtensions) {
        inC.push_back(WriteWith(ext, m, dir.Path(std::string("c.") + ext)));
    }
    testing_support::ScopedLocale german("de_DE.UTF-8");
    ASSERT_TRUE(german.ok()) << "the de_DE.UTF-8 locale is not installed (scripts/install-deps.sh)";
    for (std::size_t i = 0; i < std::size(kWriterExtensions); ++i) {
        const std::string ext = kWriterExtensions[i];
        // The same name again: the DSM title is part of the listing.
        const std::string same = dir.Path("c." + ext);
        EXPECT_EQ(WriteWith(ext, m, same), inC[i]) << ext;
        if (const formats::ReaderEntry* r = formats::FindReader(same)) {
            Model back;
            formats::ReadResult read;
            ASSERT_EQ(r->read(same, back.host, &read), 1) << ext << ": " << read.detail;
            back.Sync();
            // Corner 1 of the quad is (2.5, 2.5, 0.0625) in every format that keeps order;
            // look for it among the quad's corners so that reversed formats pass too.
            bool found = false;
            for (int f = 0; f < back.table->faceCount; ++f) {
                for (int k = 0; k < back.table->vertexCount[f]; ++k) {
                    const rm::Vector& q = back.table->position[f][k];
                    found |= std::abs(q.x - 2.5f) < 1e-5f && std::abs(q.z - 0.0625f) < 1e-5f;
                }
            }
            EXPECT_TRUE(found) << ext << " read 2,5 or 0,0625 wrongly";
        }
    }
}

TEST(AllFormats, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
    Model m;
    FillModel(m);
    for (const char* ext : kWriterExtensions) {
        SCOPED_TRACE(ext);
        TempDir dir;
        const formats::WriterEntry* w = formats::FindWriter(std::string("a.") + ext);
        ASSERT_NE(w, nullptr);
        std::string error;
        const std::string missing = dir.Path(std::string("no/such/folder/a.") + ext);
        const std::string title = "a";
        EXPECT_EQ(w->write({missing, title, m.host, *m.table}, &error), 0);
        EXPECT_FALSE(error.empty());

        // The target is a folder: the rename fails; the folder and its content stay.
        const std::string target = dir.Path(std::string("target.") + ext);
        std::filesystem::create_directory(target);
        WriteFile(target + "/keep", "old");
        EXPECT_EQ(w->write({target, title, m.host, *m.table}, &error), 0);
        EXPECT_EQ(ReadFile(target + "/keep"), "old");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Dir()),
                                std::filesystem::directory_iterator()),
                  1);

        // An existing file is replaced by the complete new one.
        const std::string old = dir.Path(std::string("old.") + ext);
        WriteFile(old, "old content");
        ASSERT_EQ(w->write({old, title, m.host, *m.table}, &error), 1) << error;
        EXPECT_NE(ReadFile(old), "old content");
    }
}

TEST(AllFormats, ReadersThatFailAddNothing) {
    TempDir dir;
    for (const formats::ReaderEntry& r : formats::Readers()) {
        SCOPED_TRACE(std::string(r.extension));
        const std::string ext(r.extension);
        const std::vector<std::string> bad = {"", std::string(4096, '\0'), "garbage\n1 2 3\n"};
        for (std::size_t i = 0; i < bad.size(); ++i) {
            const std::string path = dir.Path("bad" + std::to_string(i) + "." + ext);
            WriteFile(path, bad[i]);
            Model m;
            FillModel(m);
            formats::ReadResult read;
            EXPECT_EQ(r.read(path, m.host, &read), 0) << i;
            EXPECT_FALSE(read.ok()) << i;
            EXPECT_FALSE(read.detail.empty()) << i;
            EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 2) << i;
        }
        Model m;
        formats::ReadResult read;
        EXPECT_EQ(r.read(dir.Path("missing." + ext), m.host, &read), 0);
        EXPECT_EQ(read.kind, formats::ReadFailure::Unreadable);
        EXPECT_NE(read.detail.find("cannot open"), std::string::npos) << read.detail;
    }
}

}  // namespace

namespace {

// A face count beyond the table (after a damaged edit, say) writes what the table holds:
// no writer reads past its arrays. Every writer that works from the table writes the same
// bytes for 5001 faces as for 5000, and for -1 faces as for none.
TEST(AllFormats, WritersHoldTheFaceCountToTheTable) {
    TempDir dir;
    Model m;
    model::FaceTable& t = *m.table;
    t.faceCount = model::MAX_FACES;
    for (int f = 0; f < model::MAX_FACES; ++f) {
        t.vertexCount[f] = 3;
        for (int k = 0; k < 3; ++k) {
            t.vertexIndex[f][k] = (f + k) % 100;
            t.position[f][k] = {float(f), float(k), 0};
        }
        t.faceColor[f] = {f % 3 * 100, 0, 0, 255};
    }
    ASSERT_TRUE(t.RebuildMesh(m.host));
    for (const formats::WriterEntry& writer : formats::Writers()) {
        if (writer.extension == "x") continue;  // written from the mesh, not the table
        const std::string ext(writer.extension);
        t.faceCount = model::MAX_FACES;
        const std::string full = WriteWith(ext, m, dir.Path("full." + ext));
        t.faceCount = model::MAX_FACES + 1;
        EXPECT_EQ(WriteWith(ext, m, dir.Path("full." + ext)), full) << ext;
        t.faceCount = 0;
        const std::string none = WriteWith(ext, m, dir.Path("none." + ext));
        t.faceCount = -1;
        EXPECT_EQ(WriteWith(ext, m, dir.Path("none." + ext)), none) << ext;
    }
}

}  // namespace
