// The Windows side of engine/output_file.h: the same rules with the Win32
// file API. The temporary is created with CREATE_NEW (it fails on any name
// already there, a link included, and FILE_FLAG_OPEN_REPARSE_POINT never
// follows one) and moved over the target with MoveFileExW once whole. Only a
// regular file is replaced; a symbolic link or junction is refused or, where
// the rules allow, followed to the regular file it leads to; a device (NUL,
// CON, \\.\...) is written in place where the rules allow.
#include "engine/output_file.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cwctype>

#include "engine/system_names.h"
#include "platform/windows/windows_text.h"

namespace {

// Enough tries that only a folder full of our own leftovers runs out.
constexpr int kTemporaryTries = 100;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A name of the Win32 device namespace (\\.\pipe\x, \\.\COM1), or one of the
// reserved DOS device names (NUL, CON, COM1, ...) as a file's last part.
bool isDeviceName(const std::wstring& path) {
    if (path.rfind(L"\\\\.\\", 0) == 0 || path.rfind(L"//./", 0) == 0) return true;
    const std::size_t slash = path.find_last_of(L"\\/:");
    std::wstring name = path.substr(slash == std::wstring::npos ? 0 : slash + 1);
    name = name.substr(0, name.find(L'.'));
    std::transform(name.begin(), name.end(), name.begin(), [](wchar_t c) { return std::towupper(c); });
    if (name == L"NUL" || name == L"CON" || name == L"PRN" || name == L"AUX" || name == L"CONIN$" ||
        name == L"CONOUT$")
        return true;
    return name.size() == 4 && (name.rfind(L"COM", 0) == 0 || name.rfind(L"LPT", 0) == 0) && name[3] >= L'1' &&
           name[3] <= L'9';
}

// The final path a link leads to, without the \\?\ the system puts in front.
bool finalPathOf(HANDLE handle, std::wstring& path) {
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length = GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    }
    if (length == 0 || length >= buffer.size()) return false;
    buffer.resize(length);
    if (buffer.rfind(L"\\\\?\\UNC\\", 0) == 0)
        buffer = L"\\\\" + buffer.substr(8);
    else if (buffer.rfind(L"\\\\?\\", 0) == 0)
        buffer = buffer.substr(4);
    path = buffer;
    return true;
}

// How a target is written, decided from what is at its name now.
struct Plan {
    enum class Way { Replace, InPlace, Refuse } way = Way::Replace;
    std::string target;  // what a Replace moves over: the path, or where its link leads
    std::string reason;  // why a Refuse
};

Plan planFor(const std::string& path, NotRegular notRegular) {
    Plan plan{Plan::Way::Replace, path, {}};
    auto refuse = [&plan](std::string why) {
        plan.way = Plan::Way::Refuse;
        plan.reason = std::move(why);
        return plan;
    };
    const std::wstring wide = wideFromUtf8(path);
    if (isDeviceName(wide)) {
        if (notRegular != NotRegular::WriteInPlace) return refuse("it is a device, not a regular file");
        plan.way = Plan::Way::InPlace;
        return plan;
    }
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return plan;
        return refuse(windowsErrorText(error));
    }
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        if (notRegular == NotRegular::Refuse) return refuse("it is a symbolic link, which is not replaced");
        const HANDLE handle = CreateFileW(wide.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return refuse("it is a symbolic link that leads nowhere (" + lastWindowsErrorText() + ")");
        std::wstring leadsTo;
        const bool resolved = finalPathOf(handle, leadsTo);
        const std::string reason = resolved ? std::string() : lastWindowsErrorText();
        CloseHandle(handle);
        if (!resolved) return refuse(reason);
        attributes = GetFileAttributesW(leadsTo.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return refuse(lastWindowsErrorText());
        plan.target = utf8FromWide(leadsTo);
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return refuse("it is a folder, not a regular file");
    return plan;
}

// Creates the temporary for `target`; INVALID_HANDLE_VALUE with the
// thread's last error set when it cannot.
HANDLE createTemporary(const std::string& target, std::string& name) {
    for (int tries = 0; tries < kTemporaryTries; ++tries) {
        name = temporaryNameBeside(target);
        // Shared as a POSIX file is: the program that writes by name (libzip,
        // an encoder) opens it again, and libzip moves its own file over it.
        const HANDLE handle =
            CreateFileW(wideFromUtf8(name).c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return handle;
    }
    return INVALID_HANDLE_VALUE;
}

// A C runtime descriptor that owns `handle`; -1 (and the handle closed)
// when none can be made.
int descriptorFor(HANDLE handle) {
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd < 0) CloseHandle(handle);
    return fd;
}

}  // namespace

std::string outputProblem(const std::string& path, NotRegular notRegular) {
    const Plan plan = planFor(path, notRegular);
    switch (plan.way) {
        case Plan::Way::Refuse: return plan.reason;
        case Plan::Way::InPlace: {
            const HANDLE device = CreateFileW(wideFromUtf8(path).c_str(), GENERIC_WRITE, kShareAll, nullptr,
                                              OPEN_EXISTING, 0, nullptr);
            if (device == INVALID_HANDLE_VALUE) return lastWindowsErrorText();
            CloseHandle(device);
            return {};
        }
        case Plan::Way::Replace: break;
    }
    std::string name;
    const HANDLE handle = createTemporary(plan.target, name);
    if (handle == INVALID_HANDLE_VALUE) {
        const std::string reason = lastWindowsErrorText();
        const std::string folder = utf8FromPath(pathFromUtf8(plan.target).parent_path());
        return "folder " + (folder.empty() ? std::string(".") : folder) + " is not writable (" + reason + ")";
    }
    CloseHandle(handle);
    DeleteFileW(wideFromUtf8(name).c_str());
    return {};
}

OutputFile::~OutputFile() { discard(); }

void OutputFile::closeDescriptor() {
    if (fd_ >= 0) _close(fd_);
    fd_ = -1;
}

bool OutputFile::open(const std::string& path, NotRegular notRegular, std::string& reason) {
    discard();
    const Plan plan = planFor(path, notRegular);
    target_ = plan.target;
    inPlace_ = plan.way == Plan::Way::InPlace;
    if (plan.way == Plan::Way::Refuse) {
        reason = plan.reason;
        return false;
    }
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (inPlace_) {
        // Nothing created, nothing truncated; what was opened is checked
        // before a byte goes out.
        handle = CreateFileW(wideFromUtf8(path).c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, 0,
                             nullptr);
        if (handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_DISK) {
            CloseHandle(handle);
            reason = "it changed while being opened";
            return false;
        }
        written_ = path;
    } else {
        handle = createTemporary(target_, written_);
        pending_ = handle != INVALID_HANDLE_VALUE;
    }
    if (handle == INVALID_HANDLE_VALUE) {
        reason = lastWindowsErrorText();
        return false;
    }
    fd_ = descriptorFor(handle);
    if (fd_ < 0) {
        reason = "no file descriptor for it";
        discard();
        return false;
    }
    return true;
}

std::string OutputFile::commit() {
    closeDescriptor();
    if (!pending_) return {};
    pending_ = false;
    if (MoveFileExW(wideFromUtf8(written_).c_str(), wideFromUtf8(target_).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return {};
    const std::string reason = lastWindowsErrorText();
    DeleteFileW(wideFromUtf8(written_).c_str());
    return reason;
}

void OutputFile::discard() {
    closeDescriptor();
    if (pending_) DeleteFileW(wideFromUtf8(written_).c_str());
    pending_ = false;
}
