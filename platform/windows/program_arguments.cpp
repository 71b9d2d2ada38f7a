// The Windows side of platform/program_arguments.h: the wide command line,
// split as the C runtime splits argv, converted to UTF-8.
#include "platform/program_arguments.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/windows/windows_text.h"

std::vector<std::string> programArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return argc < 1 ? std::vector<std::string>{} : std::vector<std::string>(argv + 1, argv + argc);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(utf8FromWide(wide[i]));
    LocalFree(wide);
    return arguments;
}
