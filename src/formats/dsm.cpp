// Placeholder until this format is written: every call fails.
#include "formats/dsm.h"

namespace formats {

int WriteDsm(const std::string&, const std::string&, const model::FaceTable&, std::string* error) {
    if (error) *error = "this format is not supported yet";
    return 0;
}
std::string FormatDsm(const std::string&, const model::FaceTable&) { return {}; }

}  // namespace formats
