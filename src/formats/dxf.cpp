// Placeholder until this format is written: every call fails.
#include "formats/dxf.h"

namespace formats {

int ReadDxf(const std::string&, model::ModelHost&, std::string* error) {
    if (error) *error = "this format is not supported yet";
    return 0;
}
int ReadDxfText(std::string_view, model::ModelHost&, std::string* error) {
    if (error) *error = "this format is not supported yet";
    return 0;
}
int WriteDxf(const std::string&, const model::FaceTable&, std::string* error) {
    if (error) *error = "this format is not supported yet";
    return 0;
}
std::string FormatDxf(const model::FaceTable&) { return {}; }

}  // namespace formats
