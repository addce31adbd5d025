// The one way a file gets into the model and the model into a file. The document's Open
// and Save As, the command line, drops, the recent-file list and the converter all call
// these.
#pragma once

#include <string>
#include <vector>

#include "formats/read_result.h"
#include "model/face_table.h"
#include "model/model_host.h"

namespace doc {

struct ImportReport {
    bool readerFound = false;  // a reader takes the file's extension
    formats::ReadResult read;  // what the reader said (success when no reader ran)
    model::ReadStats stats;    // what the table left out (after a read that ran)
    bool rebuilt = false;      // the table was read and the mesh rebuilt
    // The file's axis convention differs from the model's it joined: the model is mixed now.
    bool becameMixed = false;

    // The file's faces are in the model.
    bool ok() const { return readerFound && read.ok() && rebuilt; }
};

// Adds the file's faces to the model: detaches the mesh, runs the reader chosen by the
// extension (x, lwo, obj, mqo, rok, dxf; any letter case), attaches the mesh again, then
// reads the mesh into the table and rebuilds the mesh from it. A file whose extension no
// reader takes still reads and rebuilds the model, unchanged. A failed read leaves the
// model as it was (readers add all of a file or nothing) and skips the read and rebuild.
// A file read sets the model's axis convention (the first file into an empty model) or
// makes it mixed (a file of the other convention).
struct ImportOptions {
    // Grow the table to hold the whole model (at most MAX_FACE_VERTICES corners a face)
    // instead of stopping at its limits: the converter's table.
    bool sizeTableToModel = false;
    // Read the mesh into the table but leave the mesh as the reader made it: the caller
    // rebuilds it (RebuildMesh) before anything next uses the mesh, or drops it when
    // nothing will. `rebuilt` stays false. The converter's writers mostly read the table
    // alone, and a rebuild of a million faces costs as much as reading them.
    bool deferRebuild = false;
};
ImportReport ImportFile(model::ModelHost& host, model::FaceTable& table, const std::string& path,
                        ImportOptions options = {});

struct ExportReport {
    bool writerFound = false;
    bool ok = false;
    std::string detail;                 // why it failed
    std::vector<std::string> warnings;  // what the file could not keep
};

struct ExportOptions {
    bool ascii = false;  // STL and PLY as text
};

// Writes the model with the writer chosen by the extension. The writers of the formats
// whose convention differs from the model's mirror Z and reverse the corner order (see
// formats/registry.h).
ExportReport ExportFile(model::ModelHost& host, const model::FaceTable& table,
                        const std::string& path, ExportOptions options = {});

}  // namespace doc
