# Cross build for 32-bit Windows with mingw-w64: the product.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(_triple i686-w64-mingw32)
set(_wine wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-cross.cmake)
