// Placeholder until this format is written: every call fails.
#include "formats/rok.h"

namespace formats {

int ReadRok(const std::string&, model::ModelHost&, std::string* error) {
    if (error) *error = "this format is not supported yet";
    return 0;
}
int ReadRokBytes(std::string_view, model::ModelHost&, std::string* error) {
    if (error) *error = "this format is not supported yet";
    return 0;
}

}  // namespace formats
