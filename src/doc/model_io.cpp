#include "doc/model_io.h"

#include "formats/registry.h"
#include "formats/text_io.h"

namespace doc {

ImportReport ImportFile(model::ModelHost& host, model::FaceTable& table, const std::string& path) {
    ImportReport report;
    const formats::ReaderEntry* reader = formats::FindReader(path);
    report.readerFound = reader != nullptr;
    if (reader) {
        if (host.m_pModelFrame && host.m_pMesh) host.m_pModelFrame->DeleteVisual(host.m_pMesh);
        report.read = formats::RunReader(*reader, path, host);
        if (host.m_pModelFrame && host.m_pMesh) host.m_pModelFrame->AddVisual(host.m_pMesh);
        if (!report.read.ok()) return report;
    }
    report.stats = table.ReadFromMesh(host);
    report.rebuilt = table.RebuildMesh(host);
    return report;
}

ExportReport ExportFile(model::ModelHost& host, const model::FaceTable& table,
                        const std::string& path) {
    ExportReport report;
    const formats::WriterEntry* writer = formats::FindWriter(path);
    if (!writer) {
        report.detail = "no writer takes this extension";
        return report;
    }
    report.writerFound = true;
    const std::string title = formats::FileTitle(path);
    report.ok = writer->write({path, title, host, table}, &report.detail) != 0;
    return report;
}

}  // namespace doc
