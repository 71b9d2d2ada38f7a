# The show for 64-bit Windows (`make windows`): the same engine, render,
# effects, driver and capture sources as the Linux programs, cross-compiled
# with Debian's mingw-w64 (cmake/x86_64-w64-mingw32.cmake), statically
# linked. Only the platform files differ: each POSIX-only file below is left
# out and its Windows side in this folder takes its place. The libraries
# come from scripts/build-windows-deps.sh, found through VG_WINDOWS_DEPS
# (its prefix); the content is the native build's (VG_SHOW_DIR), generated
# once by the native generator.
#
# Out: vesper-glint.exe and vesper-capture.exe, the unit tests as .exe
# (run under wine by ctest), and `package`: the zip of the programs, the
# content, a README.txt and the licence notes.

set(VG_WINDOWS_DEPS "" CACHE PATH "Prefix of the Windows libraries (scripts/build-windows-deps.sh)")
set(VG_SHOW_DIR "" CACHE PATH "The native build's content folder (resources/, the meshes, datafile.pak)")
if(NOT VG_WINDOWS_DEPS OR NOT EXISTS ${VG_WINDOWS_DEPS}/lib)
  message(FATAL_ERROR "VG_WINDOWS_DEPS must name the prefix scripts/build-windows-deps.sh printed")
endif()
if(NOT VG_SHOW_DIR OR NOT EXISTS ${VG_SHOW_DIR}/resources)
  message(FATAL_ERROR "VG_SHOW_DIR must name the native build's generated content (build/show)")
endif()

# Only the libraries built for Windows (and Debian's mingw zlib), never the
# machine's own; linked statically, so a program is one .exe with no DLL of
# ours, of libstdc++, libgcc or winpthreads beside it.
set(ENV{PKG_CONFIG_LIBDIR} "${VG_WINDOWS_DEPS}/lib/pkgconfig:/usr/x86_64-w64-mingw32/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
list(APPEND CMAKE_PREFIX_PATH ${VG_WINDOWS_DEPS})
find_package(PkgConfig REQUIRED)
add_link_options(-static)

# A pkg-config package with its static flags (its Libs.private too), under
# the name the native build's PkgConfig:: target has.
function(vg_static_package name)
  pkg_check_modules(${name} REQUIRED ${ARGN})
  add_library(vg_package_${name} INTERFACE)
  target_include_directories(vg_package_${name} SYSTEM INTERFACE ${${name}_STATIC_INCLUDE_DIRS})
  target_compile_options(vg_package_${name} INTERFACE ${${name}_STATIC_CFLAGS_OTHER})
  target_link_libraries(vg_package_${name} INTERFACE ${${name}_STATIC_LDFLAGS})
  add_library(PkgConfig::${name} ALIAS vg_package_${name})
endfunction()
vg_static_package(VORBIS vorbisfile vorbisenc vorbis ogg)
vg_static_package(KISSFFT kissfft-float)
vg_static_package(TURBOJPEG libturbojpeg)
vg_static_package(LIBZIP libzip)
vg_static_package(CACA caca)
vg_static_package(EBUR128 libebur128)
vg_static_package(FREETYPE freetype2)
vg_static_package(PNG libpng)
vg_static_package(ZLIB zlib)
# Static libraries' headers must not ask for DLL imports.
target_compile_definitions(vg_package_CACA INTERFACE CACA_STATIC)
target_compile_definitions(vg_package_LIBZIP INTERFACE ZIP_STATIC)
# SDL's pkg-config file makes a GUI program of whatever links it
# (-mwindows) and brings SDL_main; its CMake package's static target does
# neither.
find_package(SDL2 CONFIG REQUIRED)
add_library(vg_package_SDL2 INTERFACE)
target_link_libraries(vg_package_SDL2 INTERFACE SDL2::SDL2-static)
target_compile_definitions(vg_package_SDL2 INTERFACE SDL_MAIN_HANDLED)
add_library(PkgConfig::SDL2 ALIAS vg_package_SDL2)
find_package(GTest CONFIG REQUIRED)
find_package(Threads REQUIRED)
add_library(CLI11::CLI11 INTERFACE IMPORTED)
target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${VG_WINDOWS_DEPS}/include)

# The POSIX-only files and their Windows sides (in this folder):
# - engine/system_names_posix.cpp: file names, variables and the
#   program's own folder (GetModuleFileNameW) as UTF-8, from the wide API;
# - engine/output_file_posix.cpp: files written through a CREATE_NEW
#   temporary moved over the target (MoveFileExW), only regular files
#   replaced;
# - engine/cache_folder_posix.cpp: the archive's fallback folder,
#   %LOCALAPPDATA%\vesper-glint, its owner and access list checked;
# - platform/program_arguments.cpp: the wide command line as UTF-8;
# - platform/signal_guard.cpp: Ctrl+C and Ctrl+Break through the console's
#   control handler; no POSIX terminal to restore, no stop and continue;
# - platform/caca_terminal.cpp: libcaca's win32 driver draws in a screen
#   buffer of its own; the console's state is kept around it, its keys read
#   from the console's input records (console_records, console_state);
# - platform/win_console.cpp: nothing in its place, <windows.h> has the
#   console and keyboard calls themselves;
# - platform/raw_terminal.cpp: the truecolor cells in a console that
#   parses VT sequences (its title through the API: console_title), keys
#   from the input records; platform/terminal_probe.cpp: nothing is asked;
# - tools/capture/video_writer.cpp: no ffmpeg is started (--video is
#   refused with the reason);
# - tools/capture/thread_clock.cpp: frame costs on the wall clock, the
#   thread's processor time being counted in 15.6 ms ticks.
# - platform/shared_frames.cpp: no POSIX shared memory, the kitty picture
#   sends base64 (as over ssh).
# Left out with nothing in their place: platform/terminfo_restore.cpp
# (terminfo), platform/terminal_output.cpp and platform/stalled_terminal.cpp
# (the bounded writes to a POSIX terminal, and the watch for one that stopped
# reading: only the POSIX sides above call them).
# The show and the capture tool read the same table of displays, which
# offers libcaca's picture and the truecolor cells here
# (rawTerminalDrawsImages() of the raw_terminal above): the kitty and sixel
# images are not drawn in a Windows console.
set(vg_posix_only engine/system_names_posix.cpp engine/output_file_posix.cpp engine/cache_folder_posix.cpp
    platform/program_arguments.cpp platform/signal_guard.cpp
    platform/caca_terminal.cpp platform/win_console.cpp platform/raw_terminal.cpp
    platform/terminal_probe.cpp platform/terminfo_restore.cpp platform/shared_frames.cpp
    platform/terminal_output.cpp platform/stalled_terminal.cpp
    tools/capture/video_writer.cpp tools/capture/thread_clock.cpp)
set(vg_windows_engine system_names output_file cache_folder windows_text)
set(vg_windows_platform program_arguments signal_guard caca_terminal raw_terminal terminal_probe
    shared_frames console_records console_state console_title)
set(vg_windows_capture video_writer thread_clock)

# As vg_library, with the POSIX-only files swapped for the Windows sides
# named (files of this folder, without .cpp).
function(vg_windows_library name dirs windows_files)
  vg_sources(srcs "${dirs}")
  foreach(file IN LISTS vg_posix_only)
    list(REMOVE_ITEM srcs ${CMAKE_SOURCE_DIR}/${file})
  endforeach()
  foreach(file IN LISTS windows_files)
    list(APPEND srcs ${CMAKE_SOURCE_DIR}/platform/windows/${file}.cpp)
  endforeach()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# The headers the platform files share name a POSIX terminal's modes
# (compat/termios.h says why that is enough).
include_directories(SYSTEM ${CMAKE_SOURCE_DIR}/platform/windows/compat)
# Windows 10's API (GetFinalPathNameByHandleW and the console calls); M_PI
# from <cmath> as glibc gives it.
add_compile_definitions(_WIN32_WINNT=0x0A00 WINVER=0x0A00 UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                        _USE_MATH_DEFINES)

vg_windows_library(vg_engine engine "${vg_windows_engine}" PkgConfig::VORBIS PkgConfig::SDL2
                   PkgConfig::KISSFFT PkgConfig::TURBOJPEG PkgConfig::LIBZIP Threads::Threads)
vg_windows_library(vg_render render "" vg_engine)
target_compile_definitions(vg_render PUBLIC VG_SIMD=$<BOOL:${VG_SIMD}>)
set_source_files_properties(${CMAKE_SOURCE_DIR}/render/mesh_loader.cpp PROPERTIES
                            COMPILE_OPTIONS "-include;${CMAKE_SOURCE_DIR}/platform/windows/compat/c_locale.h")
vg_windows_library(vg_platform platform "${vg_windows_platform}" vg_engine vg_render PkgConfig::CACA
                   PkgConfig::ZLIB)
target_link_libraries(vg_platform PUBLIC shell32 advapi32)
vg_windows_library(vg_effects effects "" vg_render vg_engine)
vg_windows_library(vg_show driver "" vg_effects vg_platform vg_engine PkgConfig::CACA
                   CLI11::CLI11)
# The content lies beside the programs: their own folder is the installed one.
target_compile_definitions(vg_show PUBLIC VG_VERSION="${PROJECT_VERSION}" VG_INSTALLED_DATA_FROM_BIN=".")

add_executable(vesper-glint driver/main.cpp)
target_link_libraries(vesper-glint PRIVATE vg_show)

vg_windows_library(vg_song_analysis tools/song_analysis "" vg_engine PkgConfig::VORBIS PkgConfig::EBUR128)
# The generator, for the tests that make their fixtures with it; the
# content itself is the native generator's.
vg_windows_library(vg_gen "tools/gen;tools/gen/song;tools/gen/pictures;tools/gen/meshes" "" vg_song_analysis
                   vg_engine vg_render PkgConfig::VORBIS PkgConfig::FREETYPE PkgConfig::TURBOJPEG)
vg_windows_library(vg_capture tools/capture "${vg_windows_capture}" vg_show vg_song_analysis PkgConfig::PNG
                   PkgConfig::CACA)
add_executable(vesper-capture tools/capture/main.cpp)
target_link_libraries(vesper-capture PRIVATE vg_capture)

include(${CMAKE_SOURCE_DIR}/platform/windows/windows_package.cmake)
include(${CMAKE_SOURCE_DIR}/platform/windows/windows_tests.cmake)
