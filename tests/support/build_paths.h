#pragma once
// Where a test or benchmark program finds the sources, the programs and the
// generated show: as the CMakeCache.txt of the build tree the program lies in
// records them. Read at run time rather than compiled in, so that the
// programs' objects are the same in every checkout and a compiler cache
// shares them. Empty strings when the program was moved out of its tree.
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/system_names.h"

namespace build_paths {

// The value of the entry `name` ("NAME:TYPE=value") in the program's tree.
inline std::string cacheEntry(const std::string& name) {
    std::ifstream cache(pathFromUtf8(executableFolder()) / "CMakeCache.txt");
    for (std::string line; std::getline(cache, line);) {
        if (line.rfind(name + ':', 0) == 0) return line.substr(line.find('=') + 1);
    }
    return {};
}

inline std::string sourceDir() { return cacheEntry("CMAKE_HOME_DIRECTORY"); }
inline std::string binaryDir() { return cacheEntry("CMAKE_CACHEFILE_DIR"); }
inline std::string showDir() { return cacheEntry("VG_SHOW_DIR"); }

}  // namespace build_paths
