#pragma once
// Forced into the Windows builds of the unit tests: the few POSIX calls
// the tests make to set up their fixtures, on the Windows API. The product
// code has its own Windows sides (platform/windows); these only serve the
// tests. FIFOs do not exist there: mkfifo fails, and the cases that need
// one are left out by name (platform/windows/windows_tests.cmake).
#include <cerrno>
#include <cstdlib>
#include <string>

inline int setenv(const char* name, const char* value, int overwrite) {
    if (!overwrite && std::getenv(name)) return 0;
    return _putenv_s(name, value) == 0 ? 0 : -1;
}

inline int unsetenv(const char* name) { return _putenv_s(name, "") == 0 ? 0 : -1; }

#ifndef _SC_PAGESIZE
#define _SC_PAGESIZE 30
#endif
// Without <windows.h>, whose macros (near, far) would meet the tests' names:
// x86-64 Windows pages are 4 KiB.
inline long sysconf(int) { return 4096; }

inline int mkfifo(const char*, int) {
    errno = ENOSYS;
    return -1;
}
