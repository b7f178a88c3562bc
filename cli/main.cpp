#include "cli/Cli.h"

#include <iostream>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    return velkar::cli::Run(argc, argv, std::cout, std::cerr);
}
