#pragma once
// Reading what a program writes into a FIFO, for tests of outputs that
// must be written in place: the read end is held from the start (so the
// writer never waits for a reader), and reading gives up after a while (a
// FIFO replaced under the reader would otherwise keep it waiting for ever).
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <filesystem>
#include <future>
#include <string>

inline std::future<std::string> readFifo(const std::filesystem::path& fifo, int seconds = 30) {
    const int fd = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    return std::async(std::launch::async, [fd, seconds] {
        std::string got;
        char buffer[4096];
        for (int waits = 0; fd >= 0 && waits < seconds * 100; ++waits) {
            pollfd readable{fd, POLLIN, 0};
            if (poll(&readable, 1, 10) <= 0) continue;
            const ssize_t count = read(fd, buffer, sizeof buffer);
            if (count > 0) got.append(buffer, static_cast<std::size_t>(count));
            if (count == 0 && !got.empty()) break;
        }
        if (fd >= 0) close(fd);
        return got;
    });
}
