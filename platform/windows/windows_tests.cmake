# The unit tests as Windows programs, run under wine by ctest
# (CMAKE_CROSSCOMPILING_EMULATOR; scripts/windows-tests.sh makes the wine
# prefix first). One test per program, as under qemu for ARM: a process per
# case would pay wine's start and the song's decoding hundreds of times.
#
# Left out, file by file, with the reason:
set(vg_windows_test_files_left_out
  # A POSIX terminal, its modes, signals, terminfo, ptys:
  tests/platform/console_test.cpp tests/platform/signal_guard_test.cpp tests/platform/terminal_child.cpp
  tests/platform/terminal_session_test.cpp tests/platform/terminfo_restore_test.cpp
  tests/platform/pixel_console_test.cpp
  # The POSIX file rules (modes, owners, links, FIFOs) of the output files
  # and the cache folder; tests/windows/ tests the Windows ones:
  tests/engine/output_file_test.cpp tests/engine/resource_packing_test.cpp
  # Start the programs through sh and read their exit by the POSIX wait
  # macros (tests/windows/ starts the Windows programs):
  tests/driver/failure_path_test.cpp tests/capture/hostile_run_test.cpp tests/capture/pipeline_run_test.cpp
  tests/capture/video_probe_test.cpp
  # Video: the Windows capture tool starts no ffmpeg yet:
  tests/capture/video_writer_test.cpp
  # Read our sixel images back with libsixel, whose source the archive here
  # does not serve (scripts/build-windows-deps.sh):
  tests/platform/sixel_encoder_test.cpp tests/capture/pixel_capture_test.cpp
)
# Left out, case by case (gtest filters), with the reason:
set(vg_windows_test_cases_left_out
  # Lists the archive with the unzip program, which Windows lacks:
  ArchiveTest.IsAZipOfTheSameBytesOnAnyFileSystemThatOrdinaryToolsList
  # Reads a FIFO; Windows has none:
  MeshLoaderTest.ReadFileTextTakesUpToItsLimitAndNotAByteMore
  # Name libcaca's ncurses driver, which its Windows build lacks (it has
  # win32, raw and null):
  ShowOptions.EveryOptionLandsInTheSettingsNoneChangeNothingAndHelpNamesThemAll
  ShowOptions.BadOptionsGiveOneLineThatSaysWhatIsWrong
  # The Linux search (the installed content under ../share/vesper-glint);
  # on Windows it lies beside the programs (tests/windows/ tests that):
  DataFolderSearch.ANamedFolderComesFirstThenTheVariableThenBuildThenInstall
  DataFolderSearch.MissingContentNamesEveryFolderLookedIn
  # Choose or size the kitty and sixel images, which the Windows table of
  # displays does not offer:
  DisplayChoice.EachChoiceOnEachTerminalAndWhatIsSaid
  DisplayChoice.InsideTmuxOrScreenAutoDoesNotEvenAsk
  CaptureWorkload.TerminalPicturesLargerThanMemoryShouldHoldAreRefusedWithTheirSize
  CaptureOptions.BothValueFormsFlagsDefaultsAndTheLastOfARepeat
  CaptureOptions.RejectsBadArgumentsWithAReason
  # Takes an absolute path to begin with '/', and a relative one to lead
  # from the build folder to the temporary one, on another drive there:
  CaptureOutputs.RelativePathsBecomeAbsoluteGoodFoldersPassAndUnwritableOnesAreRefused
)

# One wine prefix for all of them, made (and its server started) before
# the first and stopped after the last.
set(VG_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine CACHE PATH "The wine prefix the Windows tests run in")
set(vg_wine_environment "WINEPREFIX=${VG_WINE_PREFIX};WINEDEBUG=-all")
add_test(NAME windows_wine_start COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh start ${VG_WINE_PREFIX})
add_test(NAME windows_wine_stop COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh stop ${VG_WINE_PREFIX})
set_tests_properties(windows_wine_start PROPERTIES FIXTURES_SETUP wine LABELS "windows" TIMEOUT 300)
set_tests_properties(windows_wine_stop PROPERTIES FIXTURES_CLEANUP wine LABELS "windows" TIMEOUT 60)

set(engine_test_libs vg_engine)
set(driver_test_libs vg_show)
set(render_test_libs vg_render vg_engine)
set(platform_test_libs vg_platform)
set(effects_test_libs vg_show)
set(content_test_libs vg_gen vg_show)
set(capture_test_libs vg_capture vg_gen)
set(windows_test_libs vg_capture vg_show)
enable_testing()
foreach(area engine driver render effects content capture platform windows)
  file(GLOB test_srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${area}/*.cpp)
  foreach(file IN LISTS vg_windows_test_files_left_out)
    list(REMOVE_ITEM test_srcs ${CMAKE_SOURCE_DIR}/${file})
  endforeach()
  if(NOT test_srcs)
    continue()
  endif()
  add_executable(${area}_tests ${test_srcs})
  target_include_directories(${area}_tests PRIVATE ${CMAKE_SOURCE_DIR})
  # The few POSIX calls the tests' fixtures make (tests/windows/compat).
  target_include_directories(${area}_tests SYSTEM PRIVATE ${CMAKE_SOURCE_DIR}/tests/windows/compat)
  target_compile_options(${area}_tests PRIVATE -include ${CMAKE_SOURCE_DIR}/tests/windows/compat/posix_test.h)
  target_precompile_headers(${area}_tests PRIVATE <gtest/gtest.h> <algorithm> <chrono> <cmath> <cstdint>
                            <filesystem> <fstream> <memory> <random> <sstream> <string> <vector>)
  target_link_libraries(${area}_tests PRIVATE ${${area}_test_libs} GTest::gtest GTest::gtest_main)
  set(filter "")
  foreach(suite IN LISTS vg_windows_test_cases_left_out)
    string(APPEND filter ":${suite}")
  endforeach()
  if(filter)
    set(filter "--gtest_filter=-${filter}")
  endif()
  add_test(NAME windows_${area}_tests COMMAND ${area}_tests --gtest_brief=1 ${filter})
  set_tests_properties(windows_${area}_tests PROPERTIES
                       ENVIRONMENT "VESPER_GLINT_DATA=${VG_SHOW_DIR};${vg_wine_environment}"
                       FIXTURES_REQUIRED wine LABELS "windows" TIMEOUT 1800)
endforeach()

# The Windows programs themselves: the zip unpacked and run from elsewhere,
# and the capture tool's frames against the Linux tool's (the native tree,
# which made the content, beside it).
get_filename_component(vg_native_build ${VG_SHOW_DIR} DIRECTORY)
set(VG_NATIVE_BUILD ${vg_native_build} CACHE PATH "The native build tree (its vesper-capture)")
add_test(NAME windows_programs_run
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/programs_run.sh ${VG_ZIP_FILE} ${VG_NATIVE_BUILD})
add_test(NAME windows_capture_matches
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/capture_matches.sh ${VG_NATIVE_BUILD} ${CMAKE_BINARY_DIR}
                 ${VG_SHOW_DIR})
# The show in a Windows console: wine draws it in a tmux pane.
add_test(NAME windows_console_in_pane
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/console_in_pane.sh $<TARGET_FILE:vesper-glint>
                 ${VG_NATIVE_BUILD} ${VG_SHOW_DIR})
# The song through SDL's disk driver against the Linux show's.
add_test(NAME windows_sound_matches
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/sound_matches.sh $<TARGET_FILE:vesper-glint>
                 ${VG_NATIVE_BUILD} ${VG_SHOW_DIR})
set_tests_properties(windows_programs_run windows_capture_matches windows_console_in_pane
                     windows_sound_matches PROPERTIES
                     ENVIRONMENT "${vg_wine_environment}" FIXTURES_REQUIRED wine LABELS "windows" TIMEOUT 600)
# The pane test looks for processes of the show's .exe left behind: no other
# test runs that .exe meanwhile.
set_tests_properties(windows_console_in_pane windows_sound_matches PROPERTIES RESOURCE_LOCK windows_show_exe)
