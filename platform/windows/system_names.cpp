// The Windows side of engine/system_names.h: the system's names are UTF-16,
// the program's UTF-8.
#include "engine/system_names.h"

#include <windows.h>

#include <cstdlib>

#include "platform/windows/windows_text.h"

std::filesystem::path pathFromUtf8(const std::string& name) {
    // Not path(std::string): libstdc++ reads a narrow name in the ANSI code
    // page there.
    return std::filesystem::path(wideFromUtf8(name));
}

std::string utf8FromPath(const std::filesystem::path& path) { return utf8FromWide(path.wstring()); }

std::optional<std::string> environmentValue(const char* name) {
    const wchar_t* value = _wgetenv(wideFromUtf8(name).c_str());
    if (!value) return std::nullopt;
    return utf8FromWide(value);
}

bool enterFolder(const std::string& folder, std::string& reason) {
    if (SetCurrentDirectoryW(wideFromUtf8(folder).c_str())) return true;
    reason = lastWindowsErrorText();
    return false;
}

std::string executableFolder() {
    // Long paths (\\?\...) can exceed MAX_PATH: grow until the name fits.
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return ".";
        if (length < name.size()) {
            name.resize(length);
            break;
        }
        name.resize(name.size() * 2);
    }
    return utf8FromWide(std::filesystem::path(name).parent_path().wstring());
}
