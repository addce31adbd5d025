#include "formats/registry.h"

#include <array>

#include "formats/dsm.h"
#include "formats/dxf.h"
#include "formats/gltf.h"
#include "formats/gltf_read.h"
#include "formats/lwo.h"
#include "formats/mqo.h"
#include "formats/obj.h"
#include "formats/ply.h"
#include "formats/ply_read.h"
#include "formats/rok.h"
#include "formats/stl.h"
#include "formats/stl_read.h"
#include "formats/text_io.h"
#include "formats/x.h"

namespace formats {

namespace {

int SaveX(const WriteRequest& r, std::string* error) {
    return WriteX(r.path, r.host, error);
}
int SaveLwo(const WriteRequest& r, std::string* error) {
    return WriteLwo(r.path, r.table, error);
}
int SaveDxf(const WriteRequest& r, std::string* error) {
    return WriteDxf(r.path, r.table, error);
}
int SaveMqo(const WriteRequest& r, std::string* error) {
    return WriteMqo(r.path, r.table, error);
}
int SaveDsm(const WriteRequest& r, std::string* error) {
    return WriteDsm(r.path, r.title, r.table, error);
}

using model::Handedness;
constexpr Handedness kLeft = Handedness::Left;
constexpr Handedness kRight = Handedness::Right;

// The program's first formats come first, in the order the open command tests them; the
// added ones follow.
constexpr int kPolygons = model::MAX_FACE_VERTICES;
constexpr std::array kFormats{
    // extension, name, Open's entry, Save As's entry, convention, reader, writer,
    // reader added, writer added, keeps colours, keeps textures, largest face kept
    Format{"x", "DirectX", "DirectXファイル(*.x)", "DirectXファイル(*.x)", kLeft, &ReadX, &SaveX,
           false, false, true, true, kPolygons},
    Format{"lwo", "LightWave object (LWOB)", "LightWaveファイル(*.lwo)", "LightWaveファイル(*.lwo)",
           kLeft, &ReadLwo, &SaveLwo, false, false, true, false, kPolygons},
    Format{"obj", "Wavefront OBJ", "Wavefrontファイル(*.obj)", "Wavefrontファイル(*.obj)", kRight,
           &ReadObj, &SaveObj, false, true, true, true, kPolygons},
    Format{"mqo", "Metasequoia document", "Metasequoia Ver.1ファイル(*.mqo)",
           "MetasequoiaVer.2ファイル(*.mqo)", kLeft, &ReadMqo, &SaveMqo, false, false, true, false,
           4},
    Format{"rok", "Rokkaku Daioh", "六角大王ファイル(*.rok)", "", kLeft, &ReadRok, nullptr, false,
           false, false, false, 0},
    Format{"dxf", "DXF 3DFACE", "DXFファイル(*.dxf)", "DXFファイル(*.dxf)", kLeft, &ReadDxf,
           &SaveDxf, false, false, false, false, 4},
    Format{"dsm", "DSM packet listing", "", "DSMファイル(*.dsm)", kLeft, nullptr, &SaveDsm, false,
           false, true, false, 4},
    Format{"gltf", "glTF 2.0 (with .bin)", "glTFファイル(*.gltf)", "glTFファイル(*.gltf)", kRight,
           &ReadGltf, &SaveGltf, true, true, true, true, 3},
    Format{"glb", "glTF 2.0 binary", "glTFバイナリファイル(*.glb)", "glTFバイナリファイル(*.glb)",
           kRight, &ReadGltf, &SaveGlb, true, true, true, true, 3},
    Format{"stl", "STL", "STLファイル(*.stl)", "STLファイル(*.stl)", kRight, &ReadStl, &SaveStl,
           true, true, false, false, 3},
    // PLY names one texture for all its faces (its writer says when the model has more).
    Format{"ply", "PLY", "PLYファイル(*.ply)", "PLYファイル(*.ply)", kRight, &ReadPly, &SavePly,
           true, true, true, true, kPolygons},
};

// Open's first entry, all formats, exactly as it always was (its patterns in their own
// order).
constexpr std::string_view kOpenAllEntry =
    "全ての形式(*.x;*.lwo;*.obj;*.mqo;*.rok;*.dxf)|*.x;*.lwo;*.obj;*.rok;*.dxf;*.mqo|";

struct Lists {
    std::vector<ReaderEntry> readers;
    std::vector<WriterEntry> writers;
    std::string openFilter;
    std::string saveFilter;
};

void AppendEntry(std::string& filter, std::string_view label, std::string_view extension) {
    filter += label;
    filter += "|*.";
    filter += extension;
    filter += '|';
}

Lists MakeLists() {
    Lists l;
    l.openFilter = kOpenAllEntry;
    for (bool added : {false, true}) {
        for (const Format& f : kFormats) {
            if (f.read && f.readerAdded == added) {
                l.readers.push_back({f.extension, f.read});
                AppendEntry(l.openFilter, f.openLabel, f.extension);
            }
            if (f.write && f.writerAdded == added) {
                l.writers.push_back({f.extension, f.write});
                AppendEntry(l.saveFilter, f.saveLabel, f.extension);
            }
        }
    }
    return l;
}

const Lists& TheLists() {
    static const Lists lists = MakeLists();
    return lists;
}

}  // namespace

std::span<const Format> Formats() {
    return kFormats;
}

const Format* FindFormat(std::string_view path) {
    const std::string ext = FileExtension(path);
    for (const Format& f : kFormats) {
        if (f.extension == ext) return &f;
    }
    return nullptr;
}

std::span<const ReaderEntry> Readers() {
    return TheLists().readers;
}
std::span<const WriterEntry> Writers() {
    return TheLists().writers;
}

ReadResult RunReader(const ReaderEntry& reader, const std::string& path, model::ModelHost& host) {
    ReadResult result;
    if (reader.read(path, host, &result)) {
        ReadResult ok = ReadResult::Success();
        ok.missingTextures = std::move(result.missingTextures);
        return ok;
    }
    // Every failure path records its kind; a reader that forgot to would still fail.
    if (result.ok())
        result = ReadResult::Failure(ReadFailure::Malformed, "the file cannot be read");
    return result;
}

const ReaderEntry* FindReader(std::string_view path) {
    const std::string ext = FileExtension(path);
    for (const ReaderEntry& r : Readers()) {
        if (r.extension == ext) return &r;
    }
    return nullptr;
}

const WriterEntry* FindWriter(std::string_view path) {
    const std::string ext = FileExtension(path);
    for (const WriterEntry& w : Writers()) {
        if (w.extension == ext) return &w;
    }
    return nullptr;
}

bool WriterNeedsRebuild(std::string_view path) {
    const WriterEntry* writer = FindWriter(path);
    return writer &&
           (writer->write == &SaveX || writer->write == &SaveLwo || writer->write == &SaveMqo);
}

model::Handedness ConventionOf(std::string_view path) {
    const Format* f = FindFormat(path);
    return f ? f->convention : model::Handedness::None;
}

const std::string& OpenFilter() {
    return TheLists().openFilter;
}
const std::string& SaveFilter() {
    return TheLists().saveFilter;
}

}  // namespace formats
