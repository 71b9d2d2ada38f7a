#pragma once
// The anonymous private mappings and page protection one test uses to put
// an unreadable page right after a frame, on VirtualAlloc and
// VirtualProtect (the Windows unit tests only; see ../posix_test.h).
#include <windows.h>
// Names the tests use too.
#undef near
#undef far

#include <cstddef>

#define PROT_NONE 0
#define PROT_READ 1
#define PROT_WRITE 2
#define MAP_PRIVATE 2
#define MAP_ANONYMOUS 0x20
#define MAP_FAILED (reinterpret_cast<void*>(-1))

inline void* mmap(void*, std::size_t length, int, int, int, long) {
    void* memory = VirtualAlloc(nullptr, length, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    return memory ? memory : MAP_FAILED;
}

inline int mprotect(void* address, std::size_t length, int protection) {
    DWORD old = 0;
    const DWORD mode = protection == PROT_NONE ? PAGE_NOACCESS : PAGE_READWRITE;
    return VirtualProtect(address, length, mode, &old) ? 0 : -1;
}

inline int munmap(void* address, std::size_t) { return VirtualFree(address, 0, MEM_RELEASE) ? 0 : -1; }
