#pragma once
// The command line after the program's name, as UTF-8 strings. On Linux
// these are argv's bytes; on Windows argv holds the ANSI code page's
// rendering of what was typed (a name beyond it comes out as '?'), so the
// arguments are read again from the wide command line
// (platform/windows/program_arguments.cpp).
#include <string>
#include <vector>

std::vector<std::string> programArguments(int argc, char** argv);
