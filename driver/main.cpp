#include "driver/show.h"
#include "platform/signal_guard.h"

int main() {
    // Before anything else, so no library takes the quit signals first.
    installSignalGuard();
    return runShow();
}
