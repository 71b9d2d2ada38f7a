#include "platform/program_arguments.h"

std::vector<std::string> programArguments(int argc, char** argv) {
    if (argc < 1) return {};
    return {argv + 1, argv + argc};
}
