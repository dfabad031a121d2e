#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "app/BatchTool.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    BatchTool tool(std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
    return tool.run(arguments);
}
