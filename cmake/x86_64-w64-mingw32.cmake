# Cross-building for 64-bit Windows on a Debian machine with mingw-w64
# (`make windows`; scripts/build-windows-deps.sh uses it for the libraries
# too). The posix thread model's compilers: GCC 12 with full <thread>,
# <mutex> and <future> through winpthreads (the win32 model lacks parts of
# <thread> in GCC 12). Use:
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake -DVG_WINDOWS_DEPS=PREFIX
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_ASM_NASM_COMPILER nasm)

# Headers and libraries only from the mingw root and the libraries built
# for it (VG_WINDOWS_DEPS, or the prefix a library build installs into);
# programs (pkg-config, nasm) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
if(VG_WINDOWS_DEPS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${VG_WINDOWS_DEPS})
endif()
if(CMAKE_INSTALL_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${CMAKE_INSTALL_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Static libraries before import libraries: the programs link statically.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a .dll.a .lib)

# Test programs (and the discovery of their tests) run under wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
