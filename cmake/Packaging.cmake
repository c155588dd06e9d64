# The release package: pelmora-<version>-win32.zip holding the folder pelmora-<version>-win32 with
# pelmora.exe (stripped), an empty "jar" folder for the user's jars and LIESMICH.txt, the German
# read-me with Windows line ends. Made by running cpack in the Windows build folder.
if(NOT WIN32 OR NOT TARGET pelmora)
  return()
endif()

install(TARGETS pelmora RUNTIME DESTINATION .)
install(DIRECTORY DESTINATION jar)
configure_file(${PROJECT_SOURCE_DIR}/docs/LIESMICH.txt ${CMAKE_BINARY_DIR}/LIESMICH.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/LIESMICH.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME pelmora)
set(CPACK_PACKAGE_VENDOR ${PELMORA_PRODUCT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME pelmora-${PROJECT_VERSION}-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
include(CPack)
