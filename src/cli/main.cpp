#include <iostream>
#include <string>
#include <vector>

#include "cli/convert.h"
#include "rm/file_io.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    rm::SetWritesSynced(false);  // see SetWritesSynced
    return cli::RunConvert(args, std::cout, std::cerr);
}
