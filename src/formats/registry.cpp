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
