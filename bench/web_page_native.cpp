// The native side of the web page's benchmark (web_page.mjs): the show's
// frames on the manual clock, a few at a time on request, each timed by the
// wall clock, as the page times its frames, and by the thread's processor
// time, as the capture tool does. The benchmark takes turns between this
// program and the page every few frames, so that both meet the same load
// from the machine's other work: on a shared machine a core's speed can
// change by half within seconds, and time spent waiting for a core counts
// in both wall clocks alike.
//
// Runs in the show's content folder. Prints the scenes, "scene START END
// NAME" a line each (START inclusive, END exclusive, in ms), then "ready".
// Then, for each line "FROM TO" it reads, every frame from FROM to TO
// inclusive at 60 frames a second (the page's timeFrames steps) as
// "WALL/CPU" microseconds, on one line; a line it cannot read gets "error"
// and a reason.
// Usage: web_page_native SHOW_DIR
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

#include "tools/capture/blocks.h"
#include "tools/capture/show_session.h"
#include "tools/capture/thread_clock.h"

namespace {

constexpr int kFramesPerSecond = 60;

void printScenes(const ShowSession& session) {
    const std::vector<TimelineRow> rows = session.timeline();
    for (const ScheduleBlock& block : findBlocks(rows))
        std::cout << "scene " << block.start << ' ' << block.end << ' ' << rows[block.scene].label
                  << '\n';
    std::cout << "ready" << std::endl;
}

// The frames of one request, or an error line for one it cannot serve.
std::string timeFrames(ShowSession& session, const std::string& request) {
    std::istringstream fields(request);
    long long from = 0;
    long long to = 0;
    if (!(fields >> from >> to) || from < 0 || to < from || to > 24LL * 3600 * 1000)
        return "error: expected FROM TO, 0 <= FROM <= TO, in ms";
    std::string costs;
    for (long long i = 0;; ++i) {
        const long long at = from + i * 1000 / kFramesPerSecond;
        if (at > to) break;
        const auto begin = std::chrono::steady_clock::now();
        const double cpu = session.renderFrame(static_cast<int>(at));
        const std::chrono::duration<double, std::micro> wall =
            std::chrono::steady_clock::now() - begin;
        if (i > 0) costs += ' ';
        costs += std::to_string(wall.count()) + '/' + std::to_string(cpu);
    }
    return costs;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || chdir(argv[1]) != 0) {
        std::fprintf(stderr, "usage: web_page_native SHOW_DIR (the show's content folder)\n");
        return 2;
    }
    ShowSession session;
    if (!session.loaded()) {
        std::fprintf(stderr, "web_page_native: the show did not load from %s\n", argv[1]);
        return 1;
    }
    printScenes(session);
    for (std::string request; std::getline(std::cin, request);)
        std::cout << timeFrames(session, request) << std::endl;
    return 0;
}
