// Placeholder until this format is written: every call fails.
#include "formats/lwo.h"

namespace formats {

int ReadLwo(const std::string&, model::ModelHost&, std::string* error) {
    if (error) *error = "this format is not supported yet";
    return 0;
}
int ReadLwoBytes(std::string_view, model::ModelHost&, std::string* error) {
    if (error) *error = "this format is not supported yet";
    return 0;
}
int WriteLwo(const std::string&, const model::FaceTable&, std::string* error) {
    if (error) *error = "this format is not supported yet";
    return 0;
}
bool FormatLwo(const model::FaceTable&, std::string&, std::string* error) {
    if (error) *error = "this format is not supported yet";
    return 0;
}

}  // namespace formats
