# The body of the mingw-w64 toolchain files (posix thread model, Debian): they set _triple and
# _wine (the Wine loader that runs the test programs) and include this.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER  ${_triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# ctest runs the test programs through Wine.
find_program(PELMORA_WINE ${_wine} REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PELMORA_WINE})
