# The Windows zip, build-windows/vesper-glint-<version>-windows-x64.zip:
# one folder holding the two programs, the content beside them (they find
# it there whatever the working folder: VG_INSTALLED_DATA_FROM_BIN is "."),
# a README.txt and the licence notes of the show and of every library
# linked into the programs. Built by `make windows` (target windows_zip).
set(VG_ZIP_NAME vesper-glint-${PROJECT_VERSION}-windows-x64)
set(VG_ZIP_STAGE ${CMAKE_BINARY_DIR}/zip/${VG_ZIP_NAME})
set(VG_ZIP_FILE ${CMAKE_BINARY_DIR}/${VG_ZIP_NAME}.zip)
configure_file(${CMAKE_SOURCE_DIR}/platform/windows/README.txt.in ${CMAKE_BINARY_DIR}/README.txt @ONLY
               NEWLINE_STYLE CRLF)
add_custom_command(
  OUTPUT ${VG_ZIP_FILE}
  COMMAND ${CMAKE_COMMAND} -DSTAGE=${VG_ZIP_STAGE} -DZIP=${VG_ZIP_FILE} -DSHOW_DIR=${VG_SHOW_DIR}
          -DDEPS=${VG_WINDOWS_DEPS} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DREADME=${CMAKE_BINARY_DIR}/README.txt
          "-DPROGRAMS=$<TARGET_FILE:vesper-glint>;$<TARGET_FILE:vesper-capture>"
          -DSTRIP=${CMAKE_STRIP}
          -P ${CMAKE_SOURCE_DIR}/platform/windows/pack_zip.cmake
  DEPENDS vesper-glint vesper-capture ${VG_SHOW_DIR}/.content-stamp ${CMAKE_BINARY_DIR}/README.txt
          ${CMAKE_SOURCE_DIR}/platform/windows/pack_zip.cmake ${CMAKE_SOURCE_DIR}/LICENSE
          ${CMAKE_SOURCE_DIR}/packaging/copyright
  COMMENT "Packing ${VG_ZIP_NAME}.zip"
  VERBATIM)
add_custom_target(windows_zip ALL DEPENDS ${VG_ZIP_FILE})
