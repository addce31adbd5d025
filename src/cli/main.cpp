#include <iostream>
#include <string>
#include <vector>

#include "cli/convert.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return cli::RunConvert(args, std::cout, std::cerr);
}
