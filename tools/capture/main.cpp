// vesper-capture: renders the show offline. `vesper-capture --help` lists the options.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/program_arguments.h"
#include "platform/signal_guard.h"
#include "tools/capture/capture_run.h"
#include "tools/capture/options.h"

int main(int argc, char** argv) {
    // Ctrl+C only asks the run to stop: it then drops its unfinished outputs.
    installSignalGuard();
    const std::vector<std::string> args = programArguments(argc, argv);
    const ParseResult parsed = parseOptions(args);
    if (!parsed.ok()) {
        std::fprintf(stderr, "vesper-capture: %s\n%s\n", parsed.error.c_str(), usageHint().c_str());
        return 2;
    }
    if (!parsed.print.empty()) {
        std::fputs(parsed.print.c_str(), stdout);
        return 0;
    }
    // A video encoder that quits early must not kill us through the pipe.
    ignoreBrokenPipes();
    return runCapture(parsed.options);
}
