// The one list of file formats: which reader opens and which writer saves a file, by
// extension (case-insensitive), the texts of the Open and Save As dialogs' entries, and
// each format's axis convention. Every caller (the dialogs, the converter, the tests)
// takes what it needs from here, so a format is named in one place.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/read_result.h"
#include "model/face_table.h"
#include "model/handedness.h"
#include "model/model_host.h"

namespace formats {

// Adds the file's faces to host.m_pMesh. 1 on success; 0 on failure, with nothing added
// and `result` saying why (its kind, the reader's own message, the detail).
using ReadFn = int (*)(const std::string& path, model::ModelHost& host, ReadResult* result);

// How a writer writes, beyond the model itself.
struct WriteOptions {
    // Mirror Z and reverse every face's corner order on the way out: set when the model's
    // convention differs from the format's (the writers of the older formats ignore it and
    // write the coordinates as they are).
    bool mirror = false;
    // Text instead of binary, for the formats that have both (STL, PLY).
    bool ascii = false;
    // What the file could not keep ("a texture's bitmap was not found: wood.bmp"), when
    // given; the file is still written.
    std::vector<std::string>* warnings = nullptr;
};

struct WriteRequest {
    WriteRequest(const std::string& path_, const std::string& title_, model::ModelHost& host_,
                 const model::FaceTable& table_, WriteOptions options_ = {})
        : path(path_), title(title_), host(host_), table(table_), options(options_) {}

    const std::string& path;
    const std::string& title;  // file name without folder and extension (DSM)
    model::ModelHost& host;    // the mesh (.x)
    const model::FaceTable& table;
    WriteOptions options;
};
// Writes the file. 1 on success; 0 on failure, with an existing file left untouched.
using WriteFn = int (*)(const WriteRequest& request, std::string* error);

// The axis conventions of the formats, stated once (the table below holds one per format):
//
//   left-handed                  .x  .lwo  .mqo  .rok  .dxf  .dsm   (as the 3D pane)
//   right-handed, counter-       .gltf  .glb  .obj  .stl  .ply
//   clockwise front faces
//
// Readers and the older formats' writers keep coordinates and corner order as the files
// have them (the Metasequoia and DXF units reverse corner order as those formats want),
// so a conversion between two of the older formats is unchanged. The newer formats'
// writers convert from the model's convention to theirs: when the two differ they mirror Z
// and reverse the corner order. A model of mixed conventions counts as left-handed.
struct Format {
    std::string_view extension;  // lower case, without the dot
    std::string_view name;       // for the converter's list ("glTF 2.0 binary")
    // The dialogs' entry texts ("DirectXファイル(*.x)"); empty where the format is not offered.
    std::string_view openLabel;
    std::string_view saveLabel;
    model::Handedness convention;
    ReadFn read;    // null: not read
    WriteFn write;  // null: not written
    // Added after the program's first formats: its dialog entries follow theirs.
    bool readerAdded;
    bool writerAdded;
    // What the writer keeps of a model: face colours, textures (their names or images and
    // coordinates), faces of up to this many corners (larger ones are cut).
    bool keepsColors;
    bool keepsTextures;
    int maxCorners;
};

// Every format, in the order the open command tests the readers.
std::span<const Format> Formats();
// The format of a file's extension; null when none.
const Format* FindFormat(std::string_view path);

struct ReaderEntry {
    std::string_view extension;
    ReadFn read;
};
struct WriterEntry {
    std::string_view extension;
    WriteFn write;
};

// The readers and writers, in the order of the dialogs' entries.
std::span<const ReaderEntry> Readers();
std::span<const WriterEntry> Writers();
// Runs a reader and says what happened. A reader's own message box text ("failure on
// addfaces") comes back in `message`, to be shown once by the caller.
ReadResult RunReader(const ReaderEntry& reader, const std::string& path, model::ModelHost& host);

// Null when no reader / writer takes the extension of `path`.
const ReaderEntry* FindReader(std::string_view path);
const WriterEntry* FindWriter(std::string_view path);

// The writer of `path` reads what rebuilding the mesh from the table makes: the mesh itself
// (.x) or the table's vertex pool (.lwo, .mqo). The others read the table's faces alone.
// False when no writer takes the extension.
bool WriterNeedsRebuild(std::string_view path);

// The convention of the format of `path` (None when no format takes it).
model::Handedness ConventionOf(std::string_view path);

// The file dialogs' filters ("label|patterns|...|"): the program's first entries exactly as
// they always were, then the added formats'.
const std::string& OpenFilter();
const std::string& SaveFilter();

}  // namespace formats
