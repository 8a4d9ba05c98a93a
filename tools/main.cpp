// The `kam` command-line tool: everything it does lives in RunCli.
#include <iostream>

#include "tools/cli.h"

int main(int argc, char** argv) {
    return kamtool::RunCli(argc, argv, std::cout, std::cerr);
}
