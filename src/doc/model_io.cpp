#include "doc/model_io.h"

#include <algorithm>

#include "formats/registry.h"
#include "formats/text_io.h"

namespace doc {

ImportReport ImportFile(model::ModelHost& host, model::FaceTable& table, const std::string& path,
                        ImportOptions options) {
    ImportReport report;
    const formats::ReaderEntry* reader = formats::FindReader(path);
    report.readerFound = reader != nullptr;
    if (reader) {
        const bool wasEmpty = !host.m_pMesh || host.m_pMesh->GetFaceCount() == 0;
        if (host.m_pModelFrame && host.m_pMesh) host.m_pModelFrame->DeleteVisual(host.m_pMesh);
        report.read = formats::RunReader(*reader, path, host);
        if (host.m_pModelFrame && host.m_pMesh) host.m_pModelFrame->AddVisual(host.m_pMesh);
        if (!report.read.ok()) return report;
        const model::Handedness before = host.handedness;
        host.handedness = model::CombineHandedness(before, wasEmpty, formats::ConventionOf(path));
        report.becameMixed =
            host.handedness == model::Handedness::Mixed && before != model::Handedness::Mixed;
    }
    if (options.sizeTableToModel && host.m_pMesh) {
        const rm::MeshBuilder& mesh = *host.m_pMesh;
        std::uint32_t corners = 1;
        for (const auto& face : mesh.FaceRecords()) corners = std::max(corners, face.cornerCount);
        const int faces = mesh.GetFaceCount();
        const int stride = std::min(int(corners), model::MAX_FACE_VERTICES);
        if (faces > table.FaceCapacity() || stride > table.CornerCapacity()) {
            table.Resize(std::max(faces, table.FaceCapacity()),
                         std::max(stride, table.CornerCapacity()));
        }
    }
    report.stats = table.ReadFromMesh(host);
    if (!options.deferRebuild) report.rebuilt = table.RebuildMesh(host);
    return report;
}

ExportReport ExportFile(model::ModelHost& host, const model::FaceTable& table,
                        const std::string& path, ExportOptions options) {
    ExportReport report;
    const formats::WriterEntry* writer = formats::FindWriter(path);
    if (!writer) {
        report.detail = "no writer takes this extension";
        return report;
    }
    report.writerFound = true;
    const std::string title = formats::FileTitle(path);
    formats::WriteOptions how;
    how.mirror =
        model::IsLeftHanded(host.handedness) != model::IsLeftHanded(formats::ConventionOf(path));
    how.ascii = options.ascii;
    how.warnings = &report.warnings;
    report.ok = writer->write({path, title, host, table, how}, &report.detail) != 0;
    return report;
}

}  // namespace doc
