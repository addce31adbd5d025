#include "cli/convert.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <thread>
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
       << "       " << kProgram << " [options] -o DIR --to EXT INPUT...\n"
       << "       " << kProgram << " --info INPUT...\n"
       << "\n"
       << "Reads every INPUT into one model, in order, as successive Opens of the modeller do\n"
       << "(each file's faces are added to the model), then writes the model to OUTPUT.\n"
       << "With -o and --to, converts each INPUT on its own into DIR, named after it.\n"
       << "The format of each file is chosen by its extension, in any letter case.\n"
       << "\n"
       << "  reads:  " << ExtensionList(true) << "\n"
       << "  writes: " << ExtensionList(false) << "\n"
       << "\n"
       << "Axes: .x .lwo .mqo .rok .dxf .dsm are left-handed, .gltf .glb .obj .stl .ply\n"
       << "right-handed; writing a right-handed format from a left-handed model (or the other\n"
       << "way round) mirrors Z and reverses each face's corners. Between two left-handed\n"
       << "formats coordinates are kept as they are.\n"
       << "\n"
       << "Options:\n"
       << "  --info           describe each INPUT (format, faces, corners, vertices, bounding\n"
       << "                   box, materials, textures, what the reader skipped, whether it\n"
       << "                   fits the modeller's limits) and write nothing\n"
       << "  -o DIR           batch: write one output per INPUT into DIR (carries on past a\n"
       << "                   file that fails; exit status 1 when any failed)\n"
       << "  --to EXT         batch: the output format (gltf, glb, obj, ...)\n"
       << "  --jobs N         batch: convert on N processes (default: the number of cores)\n"
       << "  --ascii          STL and PLY as text instead of binary\n"
       << "  --scale F        multiply every coordinate by F (first)\n"
       << "  --up z           the model is Z-up: turn it upright, (x, y, z) -> (x, z, -y)\n"
       << "  --flip-handedness  mirror Z and reverse each face's corners (last)\n"
       << "  -h, --help       show this help and exit\n"
       << "  -V, --version    show the version and exit\n"
       << "  --               end of options (for file names that start with '-')\n"
       << "\n"
       << "The modeller holds at most " << model::MAX_FACES << " faces of at most "
       << model::MAX_FACE_VERTICES << " corners; the converter keeps every face.\n"
       << "\n"
       << "Exit status: 0 success, 1 an input could not be read (nothing is written) or a\n"
       << "batch file failed, 2 usage error or unknown extension, 3 the output could not be\n"
       << "written.\n";
}

struct Options {
    bool info = false;
    std::string outDir;
    std::string toExt;
    int jobs = 0;
    bool ascii = false;
    bool flip = false;
    bool upZ = false;
    float scale = 1.0f;
    std::vector<std::string> files;
};

// The usage error's message, or empty when the arguments are good.
std::string ParseArgs(std::span<const std::string> args, Options& o, bool& help, bool& version) {
    bool optionsDone = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        std::string v;
        if (optionsDone || a.size() < 2 || a[0] != '-') {
            o.files.push_back(a);
        } else if (a == "--") {
            optionsDone = true;
        } else if (a == "-h" || a == "--help") {
            help = true;
        } else if (a == "-V" || a == "--version") {
            version = true;
        } else if (a == "--info") {
            o.info = true;
        } else if (a == "--ascii") {
            o.ascii = true;
        } else if (a == "--flip-handedness") {
            o.flip = true;
        } else if (a == "-o") {
            if (!value(o.outDir) || o.outDir.empty()) return "-o needs a folder";
        } else if (a == "--to") {
            if (!value(v)) return "--to needs an extension";
            if (!v.empty() && v[0] == '.') v.erase(0, 1);
            o.toExt = formats::ToLower(v);
        } else if (a == "--jobs") {
            if (!value(v)) return "--jobs needs a number";
            const auto r = std::from_chars(v.data(), v.data() + v.size(), o.jobs);
            if (r.ec != std::errc() || r.ptr != v.data() + v.size() || o.jobs < 1)
                return "--jobs needs a number of 1 or more, not '" + v + "'";
        } else if (a == "--up") {
            if (!value(v)) return "--up needs an axis";
            if (formats::ToLower(v) == "z") {
                o.upZ = true;
            } else if (formats::ToLower(v) != "y") {
                return "--up takes y or z, not '" + v + "'";
            }
        } else if (a == "--scale") {
            if (!value(v)) return "--scale needs a number";
            std::string_view s = v;
            if (!formats::ScanFloat(s, o.scale) || !s.empty() || !std::isfinite(o.scale) ||
                o.scale == 0.0f)
                return "--scale needs a finite number other than 0, not '" + v + "'";
        } else {
            return "unknown option '" + a + "'";
        }
    }
    return {};
}

// --scale, then --up z, then --flip-handedness, on the table; the mesh is rebuilt from it
// (the .x writer saves the mesh) and its normals read back.
bool NeedsTransform(const Options& o) {
    return o.scale != 1.0f || o.upZ || o.flip;
}
void Transform(model::ModelHost& host, model::FaceTable& t, const Options& o) {
    if (!NeedsTransform(o)) return;
    for (int f = 0; f < t.FacesToWrite(); ++f) {
        const int n = t.CornersOf(f);
        for (int k = 0; k < n; ++k) {
            rm::Vector& p = t.position[f][k];
            p = {p.x * o.scale, p.y * o.scale, p.z * o.scale};
            if (o.upZ) p = {p.x, p.z, 0.0f - p.y};
            if (o.flip) p.z = 0.0f - p.z;
        }
        if (o.flip) {
            std::reverse(t.position[f].begin(), t.position[f].begin() + n);
            std::reverse(t.normal[f].begin(), t.normal[f].begin() + n);
            std::reverse(t.vertexIndex[f].begin(), t.vertexIndex[f].begin() + n);
            std::reverse(t.texU[f].begin(), t.texU[f].begin() + n);
            std::reverse(t.texV[f].begin(), t.texV[f].begin() + n);
            std::reverse(t.selected[f].begin(), t.selected[f].begin() + n);
        }
    }
    // Vertices shared by corners keep one position: the pool follows the corners.
    t.RebuildMesh(host);
    t.ReadFromMesh(host);
}

// What the target format cannot keep of the model, one line per kind.
std::vector<std::string> Losses(const model::FaceTable& t, const formats::Format& format) {
    // Colours count when faces differ in colour, or share one that is neither the
    // modeller's default grey nor the readers' default white.
    bool colours = false, textures = false;
    int over = 0;
    const model::FaceColor first = t.FacesToWrite() > 0 ? t.faceColor[0] : model::FaceColor{};
    auto same = [](const model::FaceColor& a, const model::FaceColor& b) {
        return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
    };
    colours = !same(first, model::FaceColor{}) && !same(first, {255, 255, 255, 255});
    for (int f = 0; f < t.FacesToWrite(); ++f) {
        colours |= !same(t.faceColor[f], first);
        textures |= t.faceTexture[f] != nullptr;
        over += t.CornersOf(f) > format.maxCorners ? 1 : 0;
    }
    std::vector<std::string> losses;
    const std::string ext = "." + std::string(format.extension);
    if (colours && !format.keepsColors) losses.push_back(ext + " keeps no face colours");
    if (textures && !format.keepsTextures)
        losses.push_back(ext + " keeps no textures (their names and coordinates are lost)");
    if (over > 0) {
        losses.push_back(ext + " keeps faces of at most " + std::to_string(format.maxCorners) +
                         " corners: " + std::to_string(over) +
                         " larger faces are cut into smaller ones");
    }
    return losses;
}

struct Job {
    std::vector<std::string> inputs;
    std::string output;
};

// Reads one input into the model, with what it said on `err`; false when it cannot be
// read. `mixedSaid`: the inputs' mix of conventions has been told.
bool ReadInput(model::ModelHost& host, model::FaceTable& table, const std::string& input,
               bool& mixedSaid, std::ostream& err) {
    const doc::ImportReport report =
        doc::ImportFile(host, table, input, {.sizeTableToModel = true, .deferRebuild = true});
    if (!report.read.ok()) {
        err << kProgram << ": " << input << ": " << report.read.detail << "\n";
        return false;
    }
    for (const std::string& missing : report.read.missingTextures) {
        err << kProgram << ": " << input << ": texture bitmap not found: " << missing << "\n";
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
    if (report.becameMixed && !mixedSaid) {
        err << kProgram
            << ": the inputs mix left- and right-handed files; the model counts "
               "as left-handed\n";
        mixedSaid = true;
    }
    return true;
}

// Writes the model to `output`, with what the format cannot keep and the writer's warnings
// (each once) on `err`.
int WriteOutput(model::ModelHost& host, const model::FaceTable& table, const std::string& output,
                const Options& o, std::ostream& err) {
    const formats::Format& format = *formats::FindFormat(output);
    for (const std::string& loss : Losses(table, format)) {
        err << kProgram << ": " << output << ": " << loss << "\n";
    }
    doc::ExportOptions how;
    how.ascii = o.ascii;
    const doc::ExportReport written = doc::ExportFile(host, table, output, how);
    std::set<std::string> said;
    for (const std::string& w : written.warnings) {
        if (said.insert(w).second) err << kProgram << ": " << output << ": " << w << "\n";
    }
    if (!written.ok) {
        err << kProgram << ": " << output << ": "
            << (written.detail.empty() ? std::string("cannot be written") : written.detail) << "\n";
        return kExitWriteFailed;
    }
    return kExitOk;
}

// Reads the inputs into one model and writes it. Messages go to `err`.
int Convert(const Job& job, const Options& o, std::ostream& err) {
    model::ModelHost host = model::ModelHost::CreateStandalone();
    // Sized to the inputs: it grows as they are read.
    auto table = std::make_unique<model::FaceTable>(0, 1);
    bool mixedSaid = false;
    // The mesh is rebuilt from the table only when something uses it next: the next file
    // (it joins the rebuilt mesh, as in the modeller), a transform, or a writer that reads
    // the mesh or the vertex pool the rebuild fills.
    bool rebuildPending = false;
    const auto rebuild = [&](const std::string& input) {
        if (!rebuildPending) return true;
        rebuildPending = false;
        if (table->RebuildMesh(host)) return true;
        err << kProgram << ": " << input << ": the model could not be rebuilt\n";
        return false;
    };
    for (const std::string& input : job.inputs) {
        if (!rebuild(input)) return kExitReadFailed;
        if (!ReadInput(host, *table, input, mixedSaid, err)) return kExitReadFailed;
        rebuildPending = true;
    }
    if (formats::WriterNeedsRebuild(job.output) || NeedsTransform(o)) {
        if (!rebuild(job.inputs.back())) return kExitReadFailed;
        Transform(host, *table, o);
    } else if (host.m_pMesh) {
        // Nothing reads the mesh again: its memory goes before the file is written.
        host.m_pModelFrame->DeleteVisual(host.m_pMesh);
        host.m_pMesh.reset();
    }
    return WriteOutput(host, *table, job.output, o, err);
}

// What --info counts of a mesh: corners, the most of one face, distinct colour and texture
// pairs, and the textures (by the texture, in pointer order).
struct MeshCounts {
    std::size_t corners = 0, mostCorners = 0;
    std::set<std::pair<rm::Color, const rm::Texture*>> materials;
    std::map<const rm::Texture*, rm::TexturePtr> textures;
};

MeshCounts CountMesh(const rm::MeshBuilder& mesh) {
    MeshCounts c;
    // Faces come in runs of one colour and texture: the sets are asked when a run begins.
    const std::vector<rm::MeshBuilder::FaceRecord>& faces = mesh.FaceRecords();
    for (std::size_t f = 0; f < faces.size(); ++f) {
        const rm::MeshBuilder::FaceRecord& r = faces[f];
        c.corners += r.cornerCount;
        c.mostCorners = std::max<std::size_t>(c.mostCorners, r.cornerCount);
        if (f > 0 && r.color == faces[f - 1].color && r.texture == faces[f - 1].texture) continue;
        rm::TexturePtr tex = mesh.TextureOf(f);
        c.materials.insert({r.color, tex.get()});
        if (tex) c.textures.emplace(tex.get(), std::move(tex));
    }
    return c;
}

std::string BoxLine(const rm::Box& box) {
    std::string b = "  bounding box ";
    const auto point = [&b](const rm::Vector& p) {
        b += '(';
        formats::AppendShortest(b, p.x);
        b += ", ";
        formats::AppendShortest(b, p.y);
        b += ", ";
        formats::AppendShortest(b, p.z);
        b += ')';
    };
    point(box.min);
    b += " .. ";
    point(box.max);
    return b;
}

// --info: what a file holds, read on its own.
int Describe(const std::string& input, std::ostream& out, std::ostream& err) {
    const formats::Format* format = formats::FindFormat(input);
    const formats::ReaderEntry* reader = formats::FindReader(input);
    if (!reader) {
        err << kProgram << ": " << input << ": cannot read this extension (reads "
            << ExtensionList(true) << ")\n";
        return kExitUsage;
    }
    model::ModelHost host = model::ModelHost::CreateStandalone();
    const formats::ReadResult read = formats::RunReader(*reader, input, host);
    if (!read.ok()) {
        err << kProgram << ": " << input << ": " << read.detail << "\n";
        return kExitReadFailed;
    }
    const rm::MeshBuilder& mesh = *host.m_pMesh;
    const int faces = mesh.GetFaceCount();
    const MeshCounts counts = CountMesh(mesh);
    out << input << ": " << format->name << " ("
        << (model::IsLeftHanded(format->convention) ? "left" : "right") << "-handed)\n";
    out << "  faces " << faces << ", corners " << counts.corners << ", vertices "
        << mesh.GetVertexCount() << "\n";
    if (faces > 0) out << BoxLine(mesh.GetBox()) << "\n";
    out << "  materials " << counts.materials.size() << "\n";
    out << "  textures " << counts.textures.size();
    for (const auto& [p, tex] : counts.textures) {
        out << (p == counts.textures.begin()->first ? ": " : ", ") << tex->GetName()
            << (tex->Pixels().empty() ? " (not found)" : " (found)");
    }
    out << "\n";
    out << "  skipped by the reader: ";
    if (read.missingTextures.empty()) {
        out << "nothing\n";
    } else {
        out << read.missingTextures.size() << " texture bitmap(s) not found\n";
    }
    const bool fits =
        faces <= model::MAX_FACES && counts.mostCorners <= std::size_t(model::MAX_FACE_VERTICES);
    out << "  fits the modeller's limits (" << model::MAX_FACES << " faces of "
        << model::MAX_FACE_VERTICES << " corners): " << (fits ? "yes" : "no") << "\n";
    return kExitOk;
}

// Job i run here, its messages on `err`.
template <typename RunOne>
int RunHere(std::size_t i, std::ostream& err, RunOne& run) {
    std::ostringstream msg;
    const int code = run(i, msg);
    err << msg.str();
    return code;
}

// A job run in a child process, its messages sent back through a pipe.
struct Child {
    pid_t pid = -1;
    int pipe = -1;
    std::size_t job = 0;
};

// Starts job i in a child process; a job that cannot have one runs here (its status in
// `codes`), and false is returned.
template <typename RunOne>
bool StartChild(std::size_t i, std::ostream& err, RunOne& run, std::vector<int>& codes,
                Child& child) {
    int fds[2];
    if (::pipe(fds) != 0) {
        codes[i] = RunHere(i, err, run);
        return false;
    }
    err.flush();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        std::ostringstream msg;
        const int code = run(i, msg);
        const std::string text = msg.str();
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::write(fds[1], text.data() + done, text.size() - done);
            if (n <= 0) break;
            done += std::size_t(n);
        }
        ::close(fds[1]);
        ::_exit(code);
    }
    ::close(fds[1]);
    if (pid < 0) {
        ::close(fds[0]);
        codes[i] = RunHere(i, err, run);
        return false;
    }
    child = {pid, fds[0], i};
    return true;
}

// Waits for the child, its messages copied to `err`; the result is its exit status.
int FinishChild(const Child& c, std::ostream& err) {
    char buf[4096];
    ssize_t n;
    while ((n = ::read(c.pipe, buf, sizeof buf)) > 0) err.write(buf, n);
    ::close(c.pipe);
    int status = 0;
    ::waitpid(c.pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : kExitWriteFailed;
}

// Runs job i of `count` on up to `jobs` processes at once; the messages of each job come
// out in order. The results are the jobs' exit statuses.
template <typename RunOne>
std::vector<int> RunParallel(std::size_t count, int jobs, std::ostream& err, RunOne&& run) {
    std::vector<int> codes(count, kExitOk);
    if (jobs <= 1 || count <= 1) {
        for (std::size_t i = 0; i < count; ++i) codes[i] = RunHere(i, err, run);
        return codes;
    }
    std::vector<Child> running;
    std::size_t next = 0;
    while (next < count || !running.empty()) {
        while (next < count && running.size() < std::size_t(jobs)) {
            Child child;
            if (StartChild(next++, err, run, codes, child)) running.push_back(child);
        }
        if (!running.empty()) {
            const Child oldest = running.front();
            running.erase(running.begin());
            codes[oldest.job] = FinishChild(oldest, err);
        }
    }
    return codes;
}

// An input no reader takes: the reason on `msg`.
int Unreadable(const std::string& input, std::ostream& msg) {
    msg << kProgram << ": " << input << ": cannot read this extension (reads "
        << ExtensionList(true) << ")\n";
    return int(kExitUsage);
}

// A batch's jobs: each input to a file named after it in -o DIR with the extension --to.
// kExitUsage with the reason on `err` when the extension or the folder will not do.
int MakeBatchJobs(const Options& o, std::vector<Job>& jobs, std::ostream& err) {
    if (!formats::FindWriter("a." + o.toExt)) {
        err << kProgram << ": --to " << o.toExt << ": cannot write this extension (writes "
            << ExtensionList(false) << ")\n";
        return kExitUsage;
    }
    if (!std::filesystem::is_directory(o.outDir)) {
        err << kProgram << ": " << o.outDir << ": not a folder\n";
        return kExitUsage;
    }
    std::set<std::string> names;
    for (const std::string& input : o.files) {
        // Named after the input; a second input of the same name keeps its extension too.
        std::string name = formats::FileTitle(input);
        if (!names.insert(name).second) {
            name += "." + formats::FileExtension(input);
            names.insert(name);
        }
        jobs.push_back(
            {{input}, (std::filesystem::path(o.outDir) / (name + "." + o.toExt)).string()});
    }
    return kExitOk;
}

// Converts a batch's jobs side by side, then tells on `err` how many were converted.
int RunBatch(const std::vector<Job>& jobs, const Options& o, std::ostream& err) {
    const int parallel =
        o.jobs > 0 ? o.jobs : std::max(1, int(std::thread::hardware_concurrency()));
    const std::vector<int> codes =
        RunParallel(jobs.size(), parallel, err, [&](std::size_t i, std::ostream& msg) {
            if (!formats::FindReader(jobs[i].inputs[0])) return Unreadable(jobs[i].inputs[0], msg);
            return Convert(jobs[i], o, msg);
        });
    const auto failed = std::count_if(codes.begin(), codes.end(), [](int c) { return c != 0; });
    err << kProgram << ": " << (codes.size() - std::size_t(failed)) << " of " << codes.size()
        << " files converted to ." << o.toExt;
    if (failed > 0) err << ", " << failed << " failed";
    err << "\n";
    return failed > 0 ? kExitReadFailed : kExitOk;
}

}  // namespace

int RunConvert(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    Options o;
    bool help = false, version = false;
    const std::string usage = ParseArgs(args, o, help, version);
    auto usageError = [&err](const std::string& why) {
        err << kProgram << ": " << why << "\n";
        err << "Try '" << kProgram << " --help'.\n";
        return kExitUsage;
    };
    if (!usage.empty()) return usageError(usage);
    if (help) {
        PrintUsage(out);
        return kExitOk;
    }
    if (version) {
        out << kProgram << " " << KESTRILUNE_VERSION << "\n";
        return kExitOk;
    }

    if (o.info) {
        if (o.files.empty()) return usageError("--info needs at least one INPUT");
        int worst = kExitOk;
        for (const std::string& f : o.files) worst = std::max(worst, Describe(f, out, err));
        return worst;
    }

    const bool batch = !o.outDir.empty() || !o.toExt.empty();
    if (batch && (o.outDir.empty() || o.toExt.empty()))
        return usageError("a batch needs both -o DIR and --to EXT");
    if (batch ? o.files.empty() : o.files.size() < 2)
        return usageError(batch ? "need at least one INPUT"
                                : "need at least one INPUT and an OUTPUT");

    if (!batch) {
        const std::string output = o.files.back();
        o.files.pop_back();
        if (!formats::FindWriter(output)) {
            err << kProgram << ": " << output << ": cannot write this extension (writes "
                << ExtensionList(false) << ")\n";
            return kExitUsage;
        }
        for (const std::string& input : o.files) {
            if (!formats::FindReader(input)) return Unreadable(input, err);
        }
        return Convert({o.files, output}, o, err);
    }
    std::vector<Job> jobs;
    if (const int status = MakeBatchJobs(o, jobs, err); status != kExitOk) return status;
    return RunBatch(jobs, o, err);
}

}  // namespace cli
