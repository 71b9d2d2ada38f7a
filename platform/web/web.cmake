# The show as a web page (`make web`): the engine, render, effects and
# schedule sources of the terminal show, built for WebAssembly with
# Debian's emscripten, on the platform layer of this folder (picture, sound,
# keys and clock in the browser), started by driver/web/main.cpp. The
# libraries come from scripts/build-web-deps.sh, found through VG_WEB_DEPS
# (its prefix).
#
# Out: index.html, the page's script and style, vesper-glint.js and
# vesper-glint.wasm, and show/ with the content the terminal show reads
# (copied from the native build's VG_SHOW_DIR) and its list.

set(VG_WEB_DEPS "" CACHE PATH "Prefix of the WebAssembly libraries (scripts/build-web-deps.sh)")
set(VG_SHOW_DIR "" CACHE PATH "The native build's content folder (resources/ and meshes)")
if(NOT VG_WEB_DEPS OR NOT EXISTS ${VG_WEB_DEPS}/lib)
  message(FATAL_ERROR "VG_WEB_DEPS must name the prefix scripts/build-web-deps.sh printed")
endif()
if(NOT VG_SHOW_DIR OR NOT EXISTS ${VG_SHOW_DIR}/resources)
  message(FATAL_ERROR "VG_SHOW_DIR must name the native build's generated content (build/show)")
endif()

# Only the libraries built for WebAssembly, never the machine's own.
set(ENV{PKG_CONFIG_LIBDIR} ${VG_WEB_DEPS}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
list(APPEND CMAKE_FIND_ROOT_PATH ${VG_WEB_DEPS})
find_package(PkgConfig REQUIRED)
pkg_check_modules(VORBIS REQUIRED IMPORTED_TARGET vorbisfile vorbis ogg)
pkg_check_modules(KISSFFT REQUIRED IMPORTED_TARGET kissfft-float)
pkg_check_modules(TURBOJPEG REQUIRED IMPORTED_TARGET libturbojpeg)
pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip zlib)
pkg_check_modules(CACA REQUIRED IMPORTED_TARGET caca)

# The engine without its terminal sound output: the page's own plays
# through Web Audio (web_song_player.cpp).
file(GLOB engine_srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/engine/*.cpp)
list(FILTER engine_srcs EXCLUDE REGEX "/song_player\\.cpp$")
add_library(vg_engine STATIC ${engine_srcs} ${CMAKE_SOURCE_DIR}/platform/web/web_song_player.cpp)
target_include_directories(vg_engine PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vg_engine PUBLIC PkgConfig::VORBIS PkgConfig::KISSFFT PkgConfig::TURBOJPEG
                      PkgConfig::LIBZIP)

vg_library(vg_render render vg_engine)
target_compile_definitions(vg_render PUBLIC VG_SIMD=$<BOOL:${VG_SIMD}>)
vg_library(vg_effects effects vg_render vg_engine)
# Of driver/, what every front end shares: the schedule, the start-up and
# one pass of the frame loop. The terminal's command line and console stay
# behind.
add_library(vg_driver STATIC ${CMAKE_SOURCE_DIR}/driver/schedule.cpp
            ${CMAKE_SOURCE_DIR}/driver/show_loading.cpp ${CMAKE_SOURCE_DIR}/driver/frame_loop.cpp)
target_include_directories(vg_driver PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vg_driver PUBLIC vg_effects vg_engine)

# The page's entry point (driver/web) on the page's picture and keys.
file(GLOB web_srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/driver/web/*.cpp ${CMAKE_SOURCE_DIR}/platform/web/*.cpp)
list(FILTER web_srcs EXCLUDE REGEX "/web_song_player\\.cpp$")
add_executable(vesper-glint ${web_srcs})
target_link_libraries(vesper-glint PRIVATE vg_driver vg_render PkgConfig::CACA)
set_target_properties(vesper-glint PROPERTIES SUFFIX ".js")
# A module the page instantiates itself (createVesperGlint), with the file
# system it writes the fetched content into; memory grows with the content.
target_link_options(vesper-glint PRIVATE
  -sMODULARIZE=1 -sEXPORT_NAME=createVesperGlint -sENVIRONMENT=web,node
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=67108864 -sFORCE_FILESYSTEM=1
  -sEXIT_RUNTIME=0 -sINVOKE_RUN=0
  "-sEXPORTED_RUNTIME_METHODS=['FS','HEAPU8','HEAPU32','HEAPF32','UTF8ToString']")

# The page itself and the content, beside the program.
file(GLOB page_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/web/*)
set(page_outputs)
foreach(file ${page_files})
  get_filename_component(name ${file} NAME)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${name}
                     COMMAND ${CMAKE_COMMAND} -E copy ${file} ${CMAKE_BINARY_DIR}/${name}
                     DEPENDS ${file})
  list(APPEND page_outputs ${CMAKE_BINARY_DIR}/${name})
endforeach()
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/show/content.json
  COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/stage-web-content.sh ${VG_SHOW_DIR} ${CMAKE_BINARY_DIR}/show
  DEPENDS ${VG_SHOW_DIR}/.content-stamp ${CMAKE_SOURCE_DIR}/scripts/stage-web-content.sh
  COMMENT "Copying the show's content into ${CMAKE_BINARY_DIR}/show")
add_custom_target(page ALL DEPENDS ${page_outputs} ${CMAKE_BINARY_DIR}/show/content.json)
