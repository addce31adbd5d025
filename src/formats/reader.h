// The skeleton every reader shares. A reader parses its bytes into flat lists, fills a
// temporary mesh and finishes it:
//
//   rm::MeshBuilderPtr temp = BeginRead(host, result);   // null: failed, `result` says why
//   ... temp->AddFaces(...) (or return FailAddFaces(...)), colours ...
//   return FinishRead(host, *temp, result);              // material 15, merge: 1 or 0
//
// Readers of big files (OBJ, DXF, LightWave) parse straight into a mesh of their own with
// MeshBuilder::AppendFace instead of flat lists, and hand it to the temporary mesh with
// AddMeshBuilder, which takes its storage without copying.
//
// Every failure goes through Fail, which records the kind and returns 0, so a reader's
// failure paths read `return Fail(result, ReadFailure::Malformed, "why");`.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "formats/read_result.h"
#include "model/model_host.h"
#include "rm/face_data.h"
#include "rm/file_io.h"
#include "rm/mesh_builder.h"
#include "rm/types.h"

namespace formats {

using rm::FaceDataList;

// Specular power of the material every reader sets on the faces it adds.
constexpr float kReaderSpecularPower = 15.0f;

// Records a failure of `kind` with `detail` in `result` (when given) and returns 0.
int Fail(ReadResult* result, ReadFailure kind, std::string detail);
// A failed AddFaces of a reader that shows its own message box: `message` ("failure on
// addfaces") with the caption "ERROR". The kind is MergeRefused.
int FailAddFaces(ReadResult* result, std::string_view message);

// The reader's temporary mesh. Null when the model has no mesh to add to (NoModel) or the
// root cannot create one (MergeRefused); `result` then says so.
rm::MeshBuilderPtr BeginRead(model::ModelHost& host, ReadResult* result);

// Sets the readers' material (specular power 15) on the whole temporary mesh and appends
// its faces to the model's mesh: 1. When the merge fails the model's mesh stays exactly as
// it was and the result is 0 (MergeRefused). `loaded` is used up: its storage may move
// into the model (when the model is empty, nothing is copied).
int FinishRead(model::ModelHost& host, rm::MeshBuilder& loaded, ReadResult* result);

// FinishRead without the material: for a loader whose file brings its own.
int MergeRead(model::ModelHost& host, rm::MeshBuilder& loaded, ReadResult* result);

// The folder of a file's path, ending in '/' ("" for a bare name).
std::string FolderOf(const std::string& path);
// Where the textures a file names are looked for: the root's search path, then `folder`
// (the file's own, from FolderOf).
std::vector<std::string> ReaderTextureFolders(const model::ModelHost& host,
                                              const std::string& folder);

// (A - B) x (A - C) in 32-bit floats, divided by its length unless that is exactly 0.
// (Inline: every reader calls it once a face.)
inline rm::Vector FaceNormal(const rm::Vector& a, const rm::Vector& b, const rm::Vector& c) {
    const rm::Vector u = a - b;
    const rm::Vector w = a - c;
    rm::Vector n = rm::Cross(u, w);
    const float len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (len != 0.0f) n = {n.x / len, n.y / len, n.z / len};
    return n;
}

// Runs `parse` and turns running out of memory into a failed read.
template <typename Parse>
int Guarded(ReadResult* result, Parse&& parse) {
    try {
        return parse();
    } catch (const std::bad_alloc&) {
        return Fail(result, ReadFailure::Unreadable, "out of memory");
    }
}

// Gives the pages of a mapped file that a reader has read past back to the system (see
// rm::FileBytes::ReleaseBefore). Does nothing for bytes that are no mapped file, or for a
// place outside them (a copy of some of them elsewhere).
class ReadPast {
  public:
    // Items a reader reads between two looks at what it can give back.
    static constexpr std::size_t kEvery = std::size_t(1) << 14;

    ReadPast() = default;
    ReadPast(rm::FileBytes* file, std::string_view bytes) : file_(file), bytes_(bytes) {}

    void Before(const void* at) const {
        if (!file_) return;
        const auto p = reinterpret_cast<std::uintptr_t>(at);
        const auto start = reinterpret_cast<std::uintptr_t>(bytes_.data());
        if (p >= start && p - start <= bytes_.size()) file_->ReleaseBefore(p - start);
    }

  private:
    rm::FileBytes* file_ = nullptr;
    std::string_view bytes_;
};

// A reader's file entry point: reads the whole file and hands its bytes to `parse` (the
// reader of bytes in memory). 0 (Unreadable) when the file cannot be read or does not
// fit in memory. A `parse` that also takes the rm::FileBytes may give back the pages it
// is done with (FileBytes::ReleaseBefore). `how`: see rm::FileRead.
template <typename Parse>
int ReadFileThen(const std::string& path, ReadResult* result, Parse&& parse,
                 rm::FileRead how = rm::FileRead::Mapped) {
    return Guarded(result, [&] {
        rm::FileBytes bytes;
        std::string why;
        if (!rm::ReadFileBytes(path, bytes, &why, how)) {
            return Fail(result, ReadFailure::Unreadable, why);
        }
        if constexpr (std::is_invocable_v<Parse&, std::string_view, rm::FileBytes&>) {
            return parse(bytes.View(), bytes);
        } else {
            return parse(bytes.View());
        }
    });
}

}  // namespace formats
