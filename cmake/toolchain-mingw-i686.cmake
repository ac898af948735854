# Cross-compiling for 32-bit Windows with MinGW-w64.
# SETUP_MINGW_THREADS picks the compiler variant: "win32" (default) for the
# product, whose static runtime imports nothing Windows 2000 lacks, or "posix"
# for the test programs, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)

if(NOT SETUP_MINGW_THREADS)
  set(SETUP_MINGW_THREADS win32)
endif()
set(SETUP_MINGW_THREADS ${SETUP_MINGW_THREADS} CACHE STRING "MinGW thread model: win32 or posix")

set(CMAKE_SYSTEM_PROCESSOR x86)

set(_prefix i686-w64-mingw32)
set(SETUP_MINGW_PREFIX ${_prefix})
set(CMAKE_C_COMPILER   ${_prefix}-gcc-${SETUP_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${_prefix}-g++-${SETUP_MINGW_THREADS})
set(CMAKE_RC_COMPILER  ${_prefix}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Win32 programs built here run under Wine, in a throw-away prefix each.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh)
