#include "tests/platform/terminal_child.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

namespace {

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written <= 0) return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

ChildRun runOnTerminal(const std::function<int(const Ready&)>& body, const TerminalSetup& setup) {
    ChildRun run;
    winsize size{};
    size.ws_col = setup.columns;
    size.ws_row = setup.rows;
    size.ws_xpixel = setup.pixelWidth;
    size.ws_ypixel = setup.pixelHeight;
    int readyPipe[2];
    if (pipe(readyPipe) != 0) return run;
    int master = -1;
    std::fflush(nullptr);
    const pid_t child = forkpty(&master, nullptr, nullptr, &size);
    if (child == 0) {
        close(readyPipe[0]);
        _exit(body([&] { (void)!write(readyPipe[1], "r", 1); }));
    }
    close(readyPipe[1]);
    run.pid = child;
    if (child < 0) return run;
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(readyPipe[0], F_SETFL, fcntl(readyPipe[0], F_GETFL) | O_NONBLOCK);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::size_t nextTyped = 0;
    char buffer[4096];
    for (;;) {
        ssize_t got;
        bool more = false;
        while ((got = read(master, buffer, sizeof buffer)) > 0) {
            run.written.append(buffer, static_cast<std::size_t>(got));
            more = true;
        }
        if (more && setup.answer && !writeAll(master, setup.answer(run.written))) break;
        char signal;
        if (read(readyPipe[0], &signal, 1) == 1) {
            if (setup.closeWhenReady && master >= 0) {
                close(master);
                master = -1;
            } else if (nextTyped < setup.typed.size() && !writeAll(master, setup.typed[nextTyped++])) {
                break;
            }
        }
        if (waitpid(child, &run.status, WNOHANG) == child) break;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &run.status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ssize_t got;
    while (master >= 0 && (got = read(master, buffer, sizeof buffer)) > 0)
        run.written.append(buffer, static_cast<std::size_t>(got));
    if (master >= 0) close(master);
    close(readyPipe[0]);
    return run;
}

ChildRun runOnTerminal(const std::function<int(const Ready&)>& body, unsigned short rows,
                       std::vector<std::string> typed) {
    TerminalSetup setup;
    setup.rows = rows;
    setup.typed = std::move(typed);
    return runOnTerminal(body, setup);
}

bool exitedWith(const ChildRun& run, int code) { return WIFEXITED(run.status) && WEXITSTATUS(run.status) == code; }
