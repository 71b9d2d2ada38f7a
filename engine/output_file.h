#pragma once
// Writing a file as a careful Unix program does, for the archive and for
// every output of the capture tool.
//
// A regular file (or a name not yet taken) is written under a temporary
// name beside it and renamed over it only once whole: a full disk or a
// failed writer never leaves a truncated file under the real name, nor
// spoils an older good one. The temporary is created by us, under a random
// name, with O_CREAT | O_EXCL | O_NOFOLLOW: nobody can have planted a link
// there to make us write someone else's file. The rename replaces a name,
// never what a link there points to.
//
// An existing target that is not a regular file is never replaced:
// - NotRegular::Refuse (a file of our own, like the archive): everything
//   but a regular file is refused, links included.
// - NotRegular::FollowLink (a name the user gave for a file that must be
//   seekable, like a video): a link to a regular file is followed, that
//   file is written as above and the link stays; anything else is refused.
// - NotRegular::WriteInPlace (a name the user gave): as FollowLink, and a
//   FIFO or a character device (a terminal, /dev/null) gets the bytes in
//   place. A folder, a block device, a socket or a link to nothing is
//   still refused.
#include <cstdio>
#include <functional>
#include <string>

enum class NotRegular { Refuse, FollowLink, WriteInPlace };

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();  // discards what was not committed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Prepares writing `path`. False with the reason it cannot be written
    // ("No such file or directory", "it is a folder, ...").
    bool open(const std::string& path, NotRegular notRegular, std::string& reason);
    // Where the bytes go, opened for writing; -1 before open().
    int descriptor() const { return fd_; }
    // The name a program that writes by name (an encoder, libzip) is given:
    // the temporary, or the target itself when written in place.
    const std::string& writtenName() const { return written_; }
    // Closes our descriptor and leaves the temporary to a program that
    // writes it by name and replaces it with a file of its own (libzip):
    // Windows cannot replace a file that is still open here. Commit or
    // discard as before.
    void handOverToNamedWriter();
    bool inPlace() const { return inPlace_; }

    // Renames the temporary over the target (written in place: nothing to
    // do). Empty, or the reason it failed.
    std::string commit();
    // Removes the temporary; a file written in place keeps what it got.
    void discard();

private:
    void closeDescriptor();

    std::string target_;  // what the rename replaces: the path, or where its link leads
    std::string written_;
    int fd_ = -1;
    bool inPlace_ = false;
    bool pending_ = false;  // a temporary waits for commit or discard
};

// Why `path` cannot be written as OutputFile would write it, checked
// before a long job starts: a refused kind of file, an in-place target we
// may not write, or "folder F is not writable (REASON)" (a new file tried,
// then removed). Empty when it can. Never opens a FIFO, which would wait for a
// reader.
std::string outputProblem(const std::string& path, NotRegular notRegular);

// Writes `path`, a name the user gave (NotRegular::WriteInPlace), through
// an OutputFile with `write`, which returns the reason it failed (as
// strerror words) or empty; then flushes and commits. Returns empty, or
// "cannot write PATH: REASON" with the system's reason.
std::string writeThroughTemporary(const std::string& path,
                                  const std::function<std::string(std::FILE*)>& write);

// `text` as the whole file, written the same way; the same returns.
std::string writeTextFile(const std::string& path, const std::string& text);

// A hidden name beside `target` that keeps its extension, for programs
// that choose a format by it: ".sheet.part-k3v9x0qa.png". Random each
// time; the system's side of OutputFile creates it new.
std::string temporaryNameBeside(const std::string& target);
