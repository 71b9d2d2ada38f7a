// The Windows side of the cache folder of engine/resource_packing.h: the
// user's local application data (%LOCALAPPDATA%\vesper-glint), which
// Windows makes for its user alone. A folder is safe for our files when it
// belongs to us (or to the system or the administrators) and its access
// list lets nobody else change what is in it. Unlike the POSIX rule, the
// folders above it are not asked: every user may add folders to C:\, so
// that rule would refuse every folder there is (OpenSSH for Windows checks
// only the file's own access list too).
#include "engine/resource_packing.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <filesystem>
#include <memory>
#include <system_error>

#include "engine/system_names.h"
#include "platform/windows/windows_text.h"

namespace {

// The current user's SID, in a buffer that owns it.
std::unique_ptr<unsigned char[]> currentUser() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return nullptr;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    auto buffer = std::make_unique<unsigned char[]>(size ? size : 1);
    const bool ok = size && GetTokenInformation(token, TokenUser, buffer.get(), size, &size);
    CloseHandle(token);
    return ok ? std::move(buffer) : nullptr;
}

bool isWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) { return IsWellKnownSid(sid, type) != FALSE; }

// Us, the system, the administrators, or the owner of whatever is made
// inside (the user again).
bool trusted(PSID sid, PSID user) {
    return (user && EqualSid(sid, user)) || isWellKnown(sid, WinLocalSystemSid) ||
           isWellKnown(sid, WinBuiltinAdministratorsSid) || isWellKnown(sid, WinCreatorOwnerSid);
}

std::string sidText(PSID sid) {
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text)) return "an unknown account";
    std::string result = utf8FromWide(text);
    LocalFree(text);
    return result;
}

constexpr ACCESS_MASK kChanges = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_WRITE_DATA | FILE_APPEND_DATA |
                                 FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                                 GENERIC_ALL;

}  // namespace

bool makePrivateFolders(const std::string& folder, std::string& error) {
    std::error_code code;
    const std::filesystem::path path = pathFromUtf8(folder);
    if (std::filesystem::is_directory(path, code)) return true;
    if (std::filesystem::create_directories(path, code) || std::filesystem::is_directory(path, code)) return true;
    error = folder + ": " + (code ? code.message() : std::string("cannot be made"));
    return false;
}

std::string unsafeFolderReason(const std::string& folder) {
    PSID owner = nullptr;
    PACL access = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD status =
        GetNamedSecurityInfoW(wideFromUtf8(folder).c_str(), SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr, &access,
                              nullptr, &descriptor);
    if (status != ERROR_SUCCESS) return folder + ": " + windowsErrorText(status);
    const std::unique_ptr<void, decltype(&LocalFree)> release(descriptor, &LocalFree);
    const std::unique_ptr<unsigned char[]> user = currentUser();
    PSID userSid = user ? reinterpret_cast<TOKEN_USER*>(user.get())->User.Sid : nullptr;
    if (owner && !trusted(owner, userSid)) return folder + " belongs to another user (" + sidText(owner) + ")";
    if (!access) return folder + " lets every user change it (no access list)";
    for (DWORD i = 0; i < access->AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(access, i, &entry)) continue;
        const auto* header = static_cast<ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE)) continue;
        const auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        PSID sid = const_cast<DWORD*>(&allowed->SidStart);
        if ((allowed->Mask & kChanges) && !trusted(sid, userSid))
            return folder + " is writable by " + sidText(sid);
    }
    return {};
}

std::string userCacheFolder() {
    const std::optional<std::string> local = environmentValue("LOCALAPPDATA");
    if (local && !local->empty()) return *local + "\\vesper-glint";
    return {};
}
