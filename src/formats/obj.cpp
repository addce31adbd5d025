// Placeholder until this format is written: every call fails.
#include "formats/obj.h"

namespace formats {

int ReadObj(const std::string&, model::ModelHost&, std::string* error) {
    if (error) *error = "this format is not supported yet";
    return 0;
}
int ReadObjText(std::string_view, model::ModelHost&, std::string* error) {
    if (error) *error = "this format is not supported yet";
    return 0;
}

}  // namespace formats
