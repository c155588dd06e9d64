# Cross build for 64-bit Windows with mingw-w64. The product is the 32-bit build; this one lets
# the Windows test suite run under 64-bit Wine on machines whose kernel cannot start 32-bit
# programs.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(_triple x86_64-w64-mingw32)
set(_wine /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-cross.cmake)
