// Shared helpers of the tests.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "model/face_table.h"
#include "model/model_host.h"

namespace testing_support {

// A file of the real-world collection (tests/data/real), e.g. "mqo/ninja.mqo".
std::string RealFile(const std::string& relative);
// Every file under a folder of the real collection, sorted.
std::vector<std::string> RealFiles(const std::string& folder, bool recursive = true);
// The samples and every real file that a reader takes by its extension, sorted.
std::vector<std::string> ReadableModels();

// A fresh, empty folder for one test, removed when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    const std::filesystem::path& Dir() const { return dir_; }

  private:
    std::filesystem::path dir_;
};

std::string ReadFile(const std::string& path);

// A copy of some bytes that ends where readable memory ends: the page after it cannot be
// read, so a reader that looks even one byte past the end crashes at once, in every
// build (not only under AddressSanitizer).
class BytesAtPageEnd {
  public:
    explicit BytesAtPageEnd(std::string_view bytes);
    ~BytesAtPageEnd();
    BytesAtPageEnd(const BytesAtPageEnd&) = delete;
    BytesAtPageEnd& operator=(const BytesAtPageEnd&) = delete;
    std::string_view View() const { return {data_, size_}; }

  private:
    void* map_ = nullptr;
    std::size_t mapSize_ = 0;
    const char* data_ = nullptr;
    std::size_t size_ = 0;
};
void WriteFile(const std::string& path, const std::string& bytes);

// A model host with an empty mesh, and a table (heap: it is large).
struct Model {
    model::ModelHost host = model::ModelHost::CreateStandalone();
    std::unique_ptr<model::FaceTable> table = std::make_unique<model::FaceTable>();
    // ReadFromMesh then RebuildMesh, as the open command does after a reader.
    void Sync() {
        table->ReadFromMesh(host);
        table->RebuildMesh(host);
    }
};

// Sets LC_ALL for the scope; false from ok() when the locale is not installed.
class ScopedLocale {
  public:
    explicit ScopedLocale(const char* name);
    ~ScopedLocale();
    bool ok() const { return ok_; }

  private:
    std::string old_;
    bool ok_ = false;
};

}  // namespace testing_support
