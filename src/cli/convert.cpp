#include "cli/convert.h"

#include <memory>
#include <vector>

#include "doc/model_io.h"
#include "formats/registry.h"
#include "formats/text_io.h"
#include "model/face_table.h"
#include "model/model_host.h"

namespace cli {

namespace {

constexpr const char* kProgram = "kestrilune-convert";

std::string ExtensionList(bool readers) {
    std::string list;
    auto add = [&list](std::string_view ext) {
        if (!list.empty()) list += ' ';
        list += '.';
        list += ext;
    };
    if (readers) {
        for (const auto& r : formats::Readers()) add(r.extension);
    } else {
        for (const auto& w : formats::Writers()) add(w.extension);
    }
    return list;
}

void PrintUsage(std::ostream& os) {
    os << "Usage: " << kProgram << " [options] INPUT... OUTPUT\n"
       << "\n"
       << "Reads every INPUT into one model, in order, as successive Opens of the modeller do\n"
       << "(each file's faces are added to the model; the model holds at most 5000 faces of\n"
       << "at most 16 corners), then writes the model to OUTPUT.\n"
       << "The format of each file is chosen by its extension, in any letter case.\n"
       << "\n"
       << "  reads:  " << ExtensionList(true) << "\n"
       << "  writes: " << ExtensionList(false) << "\n"
       << "\n"
       << "Options:\n"
       << "  -h, --help     show this help and exit\n"
       << "  -V, --version  show the version and exit\n"
       << "  --             end of options (for file names that start with '-')\n"
       << "\n"
       << "Exit status: 0 success, 1 an input could not be read (nothing is written),\n"
       << "2 usage error or unknown extension, 3 the output could not be written.\n";
}

}  // namespace

int RunConvert(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> files;
    bool optionsDone = false;
    for (const std::string& a : args) {
        if (!optionsDone && a == "--") {
            optionsDone = true;
        } else if (!optionsDone && (a == "-h" || a == "--help")) {
            PrintUsage(out);
            return kExitOk;
        } else if (!optionsDone && (a == "-V" || a == "--version")) {
            out << kProgram << " " << KESTRILUNE_VERSION << "\n";
            return kExitOk;
        } else if (!optionsDone && a.size() > 1 && a[0] == '-') {
            err << kProgram << ": unknown option '" << a << "'\n";
            err << "Try '" << kProgram << " --help'.\n";
            return kExitUsage;
        } else {
            files.push_back(a);
        }
    }
    if (files.size() < 2) {
        err << kProgram << ": need at least one INPUT and an OUTPUT\n";
        err << "Try '" << kProgram << " --help'.\n";
        return kExitUsage;
    }
    const std::string output = files.back();
    files.pop_back();

    const formats::WriterEntry* writer = formats::FindWriter(output);
    if (!writer) {
        err << kProgram << ": " << output << ": cannot write this extension (writes "
            << ExtensionList(false) << ")\n";
        return kExitUsage;
    }
    for (const std::string& input : files) {
        const formats::ReaderEntry* reader = formats::FindReader(input);
        if (!reader) {
            err << kProgram << ": " << input << ": cannot read this extension (reads "
                << ExtensionList(true) << ")\n";
            return kExitUsage;
        }
    }

    model::ModelHost host = model::ModelHost::CreateStandalone();
    auto table = std::make_unique<model::FaceTable>();
    for (const std::string& input : files) {
        const doc::ImportReport report = doc::ImportFile(host, *table, input);
        if (!report.read.ok()) {
            err << kProgram << ": " << input << ": " << report.read.detail << "\n";
            return kExitReadFailed;
        }
        const model::ReadStats& stats = report.stats;
        if (stats.droppedFaces > 0) {
            err << kProgram << ": " << input << ": the model holds at most " << model::MAX_FACES
                << " faces; " << stats.droppedFaces << " of " << stats.meshFaces
                << " faces were dropped\n";
        }
        if (stats.droppedCorners > 0) {
            err << kProgram << ": " << input << ": faces hold at most " << model::MAX_FACE_VERTICES
                << " corners; " << stats.droppedCorners << " corners were dropped\n";
        }
        if (!report.rebuilt) {
            err << kProgram << ": " << input << ": the model could not be rebuilt\n";
            return kExitReadFailed;
        }
    }

    const doc::ExportReport written = doc::ExportFile(host, *table, output);
    if (!written.ok) {
        err << kProgram << ": " << output << ": "
            << (written.detail.empty() ? std::string("cannot be written") : written.detail) << "\n";
        return kExitWriteFailed;
    }
    return kExitOk;
}

}  // namespace cli
