#pragma once

#include "driver/show_options.h"

// Runs the whole show from the content folder the settings lead to:
// start-up, the frame loop, shutdown. Returns the process exit status: 0,
// or 1 when no content was found (said on stderr; the console never opens).
int runShow(const ShowSettings& settings = {});
