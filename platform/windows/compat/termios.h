#pragma once
// The Windows build compiles the platform headers that name the POSIX
// terminal's saved modes (platform/signal_guard.h, platform/raw_terminal.h)
// but none of the code that reads or sets them: there is no POSIX terminal
// there (platform/windows/signal_guard.cpp, raw_terminal.cpp). The type
// only has to exist.
struct termios {
    unsigned int c_iflag = 0, c_oflag = 0, c_cflag = 0, c_lflag = 0;
};
