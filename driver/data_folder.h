#pragma once
// Finds the show's content (resources/ or datafile.pak, and the meshes)
// from wherever the program was started: the folder named on the command
// line, else $VESPER_GLINT_DATA, else the build tree's show/ beside the
// executable, else the installed share/vesper-glint under the prefix the
// executable sits in (found relative to it, so a moved install still works).
// On Windows, where the content lies beside the programs, that installed
// folder is the programs' own (VG_INSTALLED_DATA_FROM_BIN is ".").
#include <string>
#include <vector>

#include "engine/system_names.h"  // executableFolder()

struct DataSearch {
    std::string folder;               // absolute; empty when nothing was found
    std::vector<std::string> looked;  // every folder looked in, in order
    std::string error;                // one line naming them, when nothing was found
    bool found() const { return !folder.empty(); }
};

// `named` is the command line's folder (empty when none), `environment`
// the variable's value (null when unset), `executableFolder` the folder the
// running program lives in.
DataSearch findDataFolder(const std::string& named, const char* environment,
                          const std::string& executableFolder);

// The same search for the running program, from its own environment.
DataSearch findDataFolder(const std::string& named);


// A folder holds content when it has resources/ or datafile.pak.
bool holdsShowContent(const std::string& folder);
