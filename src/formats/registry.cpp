#include "formats/registry.h"

#include <array>

#include "formats/dsm.h"
#include "formats/dxf.h"
#include "formats/lwo.h"
#include "formats/mqo.h"
#include "formats/obj.h"
#include "formats/rok.h"
#include "formats/text_io.h"
#include "formats/x.h"

namespace formats {

namespace {

// Tested in the order the open command tests them.
constexpr std::array kReaders{
    ReaderEntry{"x", &ReadX},     ReaderEntry{"lwo", &ReadLwo}, ReaderEntry{"obj", &ReadObj},
    ReaderEntry{"mqo", &ReadMqo}, ReaderEntry{"rok", &ReadRok}, ReaderEntry{"dxf", &ReadDxf},
};

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

// Tested in the order the save command tests them.
constexpr std::array kWriters{
    WriterEntry{"x", &SaveX},     WriterEntry{"lwo", &SaveLwo}, WriterEntry{"dxf", &SaveDxf},
    WriterEntry{"mqo", &SaveMqo}, WriterEntry{"dsm", &SaveDsm},
};

}  // namespace

std::span<const ReaderEntry> Readers() {
    return kReaders;
}
std::span<const WriterEntry> Writers() {
    return kWriters;
}

ReadResult RunReader(const ReaderEntry& reader, const std::string& path, model::ModelHost& host) {
    std::string why;
    if (reader.read(path, host, &why)) return ReadResult::Success();
    // Until every reader reports its failure kind itself, the kind follows from the few
    // fixed texts the readers use for the cases that callers treat differently.
    const auto has = [&why](std::string_view part) { return why.find(part) != std::string::npos; };
    ReadResult r;
    r.detail = why.empty() ? std::string("the file cannot be read") : why;
    if (why == "failure on addfaces" || why == "failure on AddFaces") {
        r.kind = ReadFailure::MergeRefused;
        r.message = why;
        r.caption = "ERROR";
    } else if (has("there is no model")) {
        r.kind = ReadFailure::NoModel;
    } else if (has("cannot open") || has("read error") || has("larger than 1 GiB")) {
        r.kind = ReadFailure::Unreadable;
    } else if (has("refused") || has("cannot add") || has("cannot merge") ||
               has("cannot create a mesh")) {
        r.kind = ReadFailure::MergeRefused;
    } else if (has("not supported") || has("newer than") || has("LWO2") || has("LWO3") ||
               has("unknown float size") || has("unknown .x format")) {
        r.kind = ReadFailure::Unsupported;
    } else {
        r.kind = ReadFailure::Malformed;
    }
    return r;
}

const ReaderEntry* FindReader(std::string_view path) {
    const std::string ext = FileExtension(path);
    for (const ReaderEntry& r : kReaders) {
        if (r.extension == ext) return &r;
    }
    return nullptr;
}

const WriterEntry* FindWriter(std::string_view path) {
    const std::string ext = FileExtension(path);
    for (const WriterEntry& w : kWriters) {
        if (w.extension == ext) return &w;
    }
    return nullptr;
}

}  // namespace formats
