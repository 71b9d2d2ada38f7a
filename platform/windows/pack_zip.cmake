# Stages and packs the Windows zip (run by windows_package.cmake with -P):
# STAGE the folder to fill, ZIP the archive, SHOW_DIR the native content,
# DEPS the libraries' prefix (their licence notes), PROGRAMS the .exe files,
# README the README.txt, STRIP the mingw strip program.
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE}/licences)
foreach(program IN LISTS PROGRAMS)
  get_filename_component(name ${program} NAME)
  # Without their symbols: a third of the size.
  execute_process(COMMAND ${STRIP} -o ${STAGE}/${name} ${program} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot strip ${program}")
  endif()
endforeach()
file(COPY ${SHOW_DIR}/resources DESTINATION ${STAGE})
file(GLOB meshes ${SHOW_DIR}/*.obj)
file(COPY ${meshes} ${SHOW_DIR}/datafile.pak DESTINATION ${STAGE})
file(COPY ${README} DESTINATION ${STAGE})
# The show's licence and notes, and each linked library's own.
configure_file(${SOURCE_DIR}/LICENSE ${STAGE}/LICENSE.txt NEWLINE_STYLE CRLF)
configure_file(${SOURCE_DIR}/packaging/copyright ${STAGE}/licences/vesper-glint.txt NEWLINE_STYLE CRLF)
# GoogleTest (the unit tests) and FreeType (the generator) are built with
# the others but linked into neither program.
set(not_in_programs googletest freetype)
file(GLOB libraries LIST_DIRECTORIES true ${DEPS}/share/licences/*)
foreach(library IN LISTS libraries)
  get_filename_component(name ${library} NAME)
  list(FIND not_in_programs ${name} left_out)
  if(left_out GREATER -1)
    continue()
  endif()
  file(GLOB notes ${library}/*)
  foreach(note IN LISTS notes)
    get_filename_component(file ${note} NAME)
    # Notepad opens .txt files; a note named so already keeps its name.
    if(NOT file MATCHES "\\.[tT][xX][tT]$")
      string(APPEND file .txt)
    endif()
    configure_file(${note} ${STAGE}/licences/${name}-${file} COPYONLY)
  endforeach()
endforeach()
# mingw-w64's runtime and winpthreads, GCC's runtime libraries and
# Debian's mingw zlib are linked into every program too.
foreach(note /usr/share/doc/mingw-w64-x86-64-dev/copyright /usr/share/doc/gcc-mingw-w64-base/copyright
        /usr/share/doc/libz-mingw-w64-dev/copyright)
  if(EXISTS ${note})
    get_filename_component(dir ${note} DIRECTORY)
    get_filename_component(package ${dir} NAME)
    configure_file(${note} ${STAGE}/licences/${package}-copyright.txt COPYONLY)
  endif()
endforeach()
# The same bytes from the same inputs: every entry with one date.
get_filename_component(parent ${STAGE} DIRECTORY)
get_filename_component(folder ${STAGE} NAME)
file(REMOVE ${ZIP})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip --mtime=2026-01-01 ${folder}
                WORKING_DIRECTORY ${parent} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot pack ${ZIP}")
endif()
