# Cross-compiling for 32-bit Windows with MinGW-w64.
# SETUP_MINGW_THREADS picks the compiler variant: "win32" (default) for the
# product, whose static runtime imports nothing Windows 2000 lacks, or "posix"
# for the test programs, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)

if(NOT SETUP_MINGW_THREADS)
  set(SETUP_MINGW_THREADS win32)
endif()
set(SETUP_MINGW_THREADS ${SETUP_MINGW_THREADS} CACHE STRING "MinGW thread model: win32 or posix")

# SETUP_MINGW_ARCH is i686 for everything that ships. x86_64 builds the same
# sources as 64-bit programs, for a test machine that cannot run 32-bit ones.
if(NOT SETUP_MINGW_ARCH)
  set(SETUP_MINGW_ARCH i686)
endif()
set(SETUP_MINGW_ARCH ${SETUP_MINGW_ARCH} CACHE STRING "MinGW target: i686 or x86_64")
if(SETUP_MINGW_ARCH STREQUAL "x86_64")
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
else()
  set(CMAKE_SYSTEM_PROCESSOR x86)
endif()

set(_prefix ${SETUP_MINGW_ARCH}-w64-mingw32)
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
