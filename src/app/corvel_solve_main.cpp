#include "app/SolveCommand.h"

#include <iostream>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int code = corvel::RunSolveCommand(args, std::cin, std::cout, std::cerr);
    std::cout.flush();
    return std::cout ? code : corvel::kExitCaseFailed;
}
