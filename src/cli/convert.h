// kestrilune-convert: reads model files into one model, as successive Opens do, and writes
// the model in the format the output's extension names.
#pragma once

#include <ostream>
#include <span>
#include <string>

namespace cli {

enum ExitCode {
    kExitOk = 0,
    kExitReadFailed = 1,
    kExitUsage = 2,
    kExitWriteFailed = 3,
};

// `args` excludes the program name. Messages go to `out` (help, version) and `err`.
int RunConvert(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace cli
