# Cross-building for 64-bit ARM on a Debian machine with multiarch
# (scripts/install-cross-arm64.sh installs the compiler, qemu-user and the
# arm64 libraries). Use: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

# The arm64 libraries, their CMake and pkg-config files live in the
# multiarch folders of the ordinary root; the build machine's own must not
# be picked up instead.
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)

# Test programs (and the discovery of their tests) run under the user-mode
# emulator; it finds the arm64 loader and libraries in the same root.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static)
