#include <cstdio>
#include <string>
#include <vector>

#include "driver/show.h"
#include "driver/show_options.h"
#include "platform/program_arguments.h"
#include "platform/signal_guard.h"

int main(int argc, char** argv) {
    // Before anything else, so no library takes the quit signals first.
    installSignalGuard();
    const ShowCommandLine commandLine = parseShowCommandLine(programArguments(argc, argv));
    if (!commandLine.error.empty()) {
        std::fprintf(stderr, "vesper-glint: %s\n%s\n", commandLine.error.c_str(),
                     showUsageHint().c_str());
        return 2;
    }
    if (!commandLine.print.empty()) {
        std::fputs(commandLine.print.c_str(), stdout);
        return 0;
    }
    return runShow(commandLine.settings);
}
