// The POSIX side of engine/output_file.h (platform/windows/output_file.cpp
// is the Windows one).
#include "engine/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Enough tries that only a folder full of our own leftovers runs out.
constexpr int kTemporaryTries = 100;

const char* kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISLNK(mode)) return "a symbolic link";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    return "not a regular file";
}

bool writableInPlace(mode_t mode) { return S_ISFIFO(mode) || S_ISCHR(mode); }

// How a target is written, decided from what is at its name now.
struct Plan {
    enum class Way { Replace, InPlace, Refuse } way = Way::Replace;
    std::string target;  // what a Replace renames over: the path, or where its link leads
    std::string reason;  // why a Refuse
};

Plan planFor(const std::string& path, NotRegular notRegular) {
    Plan plan{Plan::Way::Replace, path, {}};
    auto refuse = [&plan](std::string why) {
        plan.way = Plan::Way::Refuse;
        plan.reason = std::move(why);
        return plan;
    };
    struct stat entry {};
    if (lstat(path.c_str(), &entry) != 0) return errno == ENOENT ? plan : refuse(std::strerror(errno));
    struct stat leadsTo = entry;
    if (S_ISLNK(entry.st_mode)) {
        if (notRegular == NotRegular::Refuse) return refuse("it is a symbolic link, which is not replaced");
        if (stat(path.c_str(), &leadsTo) != 0)
            return refuse(std::string("it is a symbolic link that leads nowhere (") + std::strerror(errno) + ")");
        if (S_ISREG(leadsTo.st_mode)) {
            // The file the link leads to is replaced; the link stays.
            char resolved[PATH_MAX];
            if (!realpath(path.c_str(), resolved)) return refuse(std::strerror(errno));
            plan.target = resolved;
        }
    }
    if (S_ISREG(leadsTo.st_mode)) return plan;
    if (notRegular != NotRegular::WriteInPlace || !writableInPlace(leadsTo.st_mode))
        return refuse(std::string("it is ") + kindOf(leadsTo.st_mode) + ", not a regular file");
    plan.way = Plan::Way::InPlace;
    return plan;
}

// Creates the temporary for `target`; -1 with errno set when it cannot.
int createTemporary(const std::string& target, std::string& name) {
    for (int tries = 0; tries < kTemporaryTries; ++tries) {
        name = temporaryNameBeside(target);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

std::string outputProblem(const std::string& path, NotRegular notRegular) {
    const Plan plan = planFor(path, notRegular);
    switch (plan.way) {
        case Plan::Way::Refuse: return plan.reason;
        case Plan::Way::InPlace: return access(path.c_str(), W_OK) == 0 ? "" : std::strerror(errno);
        case Plan::Way::Replace: break;
    }
    std::string name;
    const int fd = createTemporary(plan.target, name);
    if (fd < 0) {
        const std::string folder = fs::path(plan.target).parent_path().string();
        return "folder " + (folder.empty() ? std::string(".") : folder) + " is not writable (" + std::strerror(errno) + ")";
    }
    ::close(fd);
    ::unlink(name.c_str());
    return {};
}

OutputFile::~OutputFile() { discard(); }

void OutputFile::closeDescriptor() {
    if (fd_ >= 0) ::close(fd_);
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
    if (inPlace_) {
        // No O_CREAT, no O_TRUNC: opening changes nothing, and what was
        // opened is checked before a byte goes out, in case the name was
        // swapped for a link to a regular file meanwhile.
        fd_ = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        struct stat opened {};
        if (fd_ >= 0 && (fstat(fd_, &opened) != 0 || !writableInPlace(opened.st_mode))) {
            closeDescriptor();
            reason = "it changed while being opened";
            return false;
        }
        written_ = path;
    } else {
        fd_ = createTemporary(target_, written_);
        pending_ = fd_ >= 0;
    }
    if (fd_ < 0) {
        reason = std::strerror(errno);
        return false;
    }
    return true;
}

std::string OutputFile::commit() {
    closeDescriptor();
    if (!pending_) return {};
    pending_ = false;
    if (std::rename(written_.c_str(), target_.c_str()) == 0) return {};
    const std::string reason = std::strerror(errno);
    ::unlink(written_.c_str());
    return reason;
}

void OutputFile::discard() {
    closeDescriptor();
    if (pending_) ::unlink(written_.c_str());
    pending_ = false;
}

