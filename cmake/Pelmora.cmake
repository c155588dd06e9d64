# Build conventions shared by every subsystem folder.

# compile_commands.json in every build folder, for editors and clang tools.
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

option(PELMORA_WERROR "Treat compiler warnings as errors (on in scripts/test.sh and CI)" OFF)

# Release builds optimise at link time, so that calls across the libraries (the event queue's
# post and pop, the per-thread lookups) inline. Clang gets full LTO: thin LTO leaves them calls.
# -DCMAKE_INTERPROCEDURAL_OPTIMIZATION_RELEASE=OFF turns it off, for instance for a size table
# that shows the product's own libraries and object files one by one.
if(NOT DEFINED CMAKE_INTERPROCEDURAL_OPTIMIZATION_RELEASE)
  set(CMAKE_INTERPROCEDURAL_OPTIMIZATION_RELEASE ON)
endif()
# The same for the test framework, whose own project names an older CMake (which would warn and
# leave it out).
set(CMAKE_POLICY_DEFAULT_CMP0069 NEW)
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  set(CMAKE_C_COMPILE_OPTIONS_IPO -flto)
  set(CMAKE_CXX_COMPILE_OPTIONS_IPO -flto)
endif()

if(MSVC)
  add_compile_options(/W4 $<$<BOOL:${PELMORA_WERROR}>:/WX>)
else()
  add_compile_options(-Wall -Wextra $<$<BOOL:${PELMORA_WERROR}>:-Werror>)
endif()

if(WIN32)
  # ANSI Win32 API, Windows XP and later headers, lean <windows.h>.
  add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX _CRT_SECURE_NO_WARNINGS)
  if(MINGW)
    # Everything linked statically: the program needs no DLL beyond the system's.
    add_link_options(-static -static-libgcc -static-libstdc++)
    # Release builds (the benchmarks; the package when made from a Release tree): the linker
    # drops every function and object that nothing references.
    add_compile_options("$<$<CONFIG:Release>:-ffunction-sections;-fdata-sections>")
    add_link_options("$<$<CONFIG:Release>:-Wl,--gc-sections>")
    # The link-time optimiser of MinGW's GCC 12 stops with an internal compiler error
    # (binds_to_current_def_p) on the application's code when it splits the program into
    # several partitions; one partition is also what a program of this size wants.
    add_link_options("$<$<CONFIG:Release>:-flto-partition=one>")
    # Release builds optimise the product's libraries for size, except the sources that a
    # module names HOT (the event queue and its pool, the registry), which keep the release
    # level. The size-optimised code has no exception tables: nothing in it catches, and an
    # exception passing through it ends the program either way.
    set(PELMORA_COLD_CODE_FLAGS "$<$<CONFIG:Release>:-Os;-fno-exceptions>")
    set(PELMORA_HOT_CODE_FLAGS "$<$<CONFIG:Release>:-O3;-fexceptions>")
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      # 32-bit: exceptions unwind through DWARF frame tables, which a frame needs only when an
      # exception can pass through it on the way to a handler. The size-optimised code has no
      # handler above it (the one catch, in the registry, wraps only the registry's own code),
      # so its functions get no frame table. At link time the compiler writes the tables itself:
      # through the assembler's directives every function would get one again.
      list(APPEND PELMORA_COLD_CODE_FLAGS "$<$<CONFIG:Release>:-fno-asynchronous-unwind-tables>")
      add_link_options("$<$<CONFIG:Release>:-fno-dwarf2-cfi-asm>")
    endif()
  endif()
elseif(PELMORA_SANITIZE)
  set(PELMORA_SANITIZE_FLAGS "-fsanitize=address,undefined" "-fno-sanitize-recover=all" "-fno-omit-frame-pointer")
  add_compile_options(${PELMORA_SANITIZE_FLAGS})
  add_link_options(${PELMORA_SANITIZE_FLAGS})
endif()

# pelmora_module(<name> [PORTABLE src...] [WIN32 src...] [HOST src...] [HOT src...] [DEPS module...] [SYSLIBS lib...])
# Declares the static library pelmora_<name>. PORTABLE sources build everywhere; WIN32 sources
# only for Windows; HOST sources only for the host build (stand-ins for the Win32 layer that the
# platform-free code needs). HOT names those of the sources that keep full speed optimisation
# where the rest is optimised for size. On the host a module without portable sources has no library.
function(pelmora_module name)
  cmake_parse_arguments(M "" "" "PORTABLE;WIN32;HOST;HOT;DEPS;SYSLIBS" ${ARGN})
  set(srcs ${M_PORTABLE})
  if(WIN32)
    list(APPEND srcs ${M_WIN32})
  elseif(M_PORTABLE)
    list(APPEND srcs ${M_HOST})
  endif()
  if(NOT srcs)
    return()
  endif()
  add_library(pelmora_${name} STATIC ${srcs})
  target_include_directories(pelmora_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  if(PELMORA_COLD_CODE_FLAGS)
    target_compile_options(pelmora_${name} PRIVATE ${PELMORA_COLD_CODE_FLAGS})
    if(M_HOT)
      set_source_files_properties(${M_HOT} PROPERTIES COMPILE_OPTIONS "${PELMORA_HOT_CODE_FLAGS}")
    endif()
  endif()
  set(deps)
  foreach(d IN LISTS M_DEPS)
    if(TARGET pelmora_${d})
      list(APPEND deps pelmora_${d})
    endif()
  endforeach()
  target_link_libraries(pelmora_${name} PUBLIC ${deps})
  if(WIN32 AND M_SYSLIBS)
    target_link_libraries(pelmora_${name} PUBLIC ${M_SYSLIBS})
  endif()
endfunction()

# pelmora_test(<name> SOURCES src... [DEPS module...] [HOST_ONLY] [WIN32_ONLY] [GUI] [NO_MAIN]
#              [TIMEOUT s] [LABEL unit|gui|e2e|soak])
# One test program per call, run by ctest (through Wine in the cross build). GUI tests share the
# one virtual desktop, so they never run at the same time as each other. Every test has one
# ctest label: LABEL when given, else gui for GUI tests and unit for the rest (ctest -L gui).
set(PELMORA_TEST_LABELS unit gui e2e soak ship)
function(pelmora_test name)
  cmake_parse_arguments(T "HOST_ONLY;WIN32_ONLY;GUI;NO_MAIN" "TIMEOUT;LABEL" "SOURCES;DEPS" ${ARGN})
  if(T_LABEL AND NOT T_LABEL IN_LIST PELMORA_TEST_LABELS)
    message(FATAL_ERROR "pelmora_test(${name}): LABEL must be one of ${PELMORA_TEST_LABELS}")
  endif()
  if(T_HOST_ONLY AND WIN32)
    return()
  endif()
  if(T_WIN32_ONLY AND NOT WIN32)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  foreach(d IN LISTS T_DEPS)
    if(TARGET pelmora_${d})
      target_link_libraries(${name} PRIVATE pelmora_${d})
    elseif(TARGET ${d})
      target_link_libraries(${name} PRIVATE ${d})
    endif()
  endforeach()
  if(T_NO_MAIN)
    target_link_libraries(${name} PRIVATE gtest)
  else()
    target_link_libraries(${name} PRIVATE gtest_main)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 180)
  endif()
  if(NOT T_LABEL)
    if(T_GUI)
      set(T_LABEL gui)
    else()
      set(T_LABEL unit)
    endif()
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS ${T_LABEL})
  if(T_GUI)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK desktop)
  endif()
endfunction()
