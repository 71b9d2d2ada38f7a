#include "engine/output_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "engine/system_names.h"

namespace fs = std::filesystem;

namespace {

std::string randomTag() {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device device;
    std::string tag(8, 'x');
    for (char& c : tag) c = kLetters[device() % (sizeof kLetters - 1)];
    return tag;
}

}  // namespace

std::string temporaryNameBeside(const std::string& target) {
    const fs::path path = pathFromUtf8(target);
    std::string name(1, '.');
    name += utf8FromPath(path.stem());
    name += ".part-";
    name += randomTag();
    name += utf8FromPath(path.extension());
    return utf8FromPath(path.parent_path() / pathFromUtf8(name));
}

void OutputFile::handOverToNamedWriter() { closeDescriptor(); }

std::string writeThroughTemporary(const std::string& path,
                                  const std::function<std::string(std::FILE*)>& write) {
    const auto failed = [&path](const std::string& reason) { return "cannot write " + path + ": " + reason; };
    OutputFile output;
    std::string reason;
    if (!output.open(path, NotRegular::WriteInPlace, reason)) return failed(reason);
    const int fd = dup(output.descriptor());
    std::FILE* file = fd >= 0 ? fdopen(fd, "wb") : nullptr;
    if (!file) {
        reason = std::strerror(errno);
        if (fd >= 0) ::close(fd);
        return failed(reason);
    }
    reason = write(file);
    // Buffered bytes meet a full disk only here.
    if (std::fflush(file) != 0 && reason.empty()) reason = std::strerror(errno);
    if (std::fclose(file) != 0 && reason.empty()) reason = std::strerror(errno);
    if (reason.empty()) reason = output.commit();
    return reason.empty() ? std::string() : failed(reason);  // an uncommitted temporary goes
}

std::string writeTextFile(const std::string& path, const std::string& text) {
    return writeThroughTemporary(path, [&](std::FILE* file) -> std::string {
        if (std::fwrite(text.data(), 1, text.size(), file) == text.size()) return {};
        return std::strerror(errno);
    });
}
