#pragma once
// Forced into render/mesh_loader.cpp by the Windows build: the POSIX 2008
// calls it reads numbers with, in the C locale whatever the process's.
// Microsoft's C runtime has no strtof_l, and the Windows programs never
// leave the C locale (nothing in them calls setlocale), so mingw-w64's
// strtof (its own correctly rounded one, as glibc's is) reads as strtof_l in
// the C locale does.
#include <locale.h>
#include <stdlib.h>

typedef int locale_t;
#ifndef LC_ALL_MASK
#define LC_ALL_MASK 0
#endif

inline locale_t newlocale(int, const char*, locale_t) { return 0; }
inline float strtof_l(const char* text, char** end, locale_t) { return strtof(text, end); }
