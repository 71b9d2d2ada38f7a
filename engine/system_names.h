#pragma once
// Names and texts of the system as the program keeps them: UTF-8 strings.
// On Linux a file name or a variable is its bytes as they are; on Windows
// the system's names are UTF-16, and these calls convert them, so a folder
// under a user name with letters beyond ASCII works like any other
// (platform/windows/system_names.cpp).
#include <filesystem>
#include <optional>
#include <string>

// A path from a UTF-8 name, and back.
std::filesystem::path pathFromUtf8(const std::string& name);
std::string utf8FromPath(const std::filesystem::path& path);

// An environment variable's value; nothing when it is not set.
std::optional<std::string> environmentValue(const char* name);

// Makes `folder` the working folder. False with the system's reason
// ("No such file or directory").
bool enterFolder(const std::string& folder, std::string& reason);

// The folder of the running program (from /proc/self/exe; on Windows from
// GetModuleFileNameW), whatever the working folder; "." when it cannot be
// told.
std::string executableFolder();
