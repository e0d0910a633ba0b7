# Shared part of the MinGW-w64 cross toolchains from Debian. The including toolchain file sets
# LUMEVARIN_MINGW_PREFIX (the compilers' target triplet) and CMAKE_SYSTEM_PROCESSOR.
#
# LUMEVARIN_MINGW_THREADS picks the compilers' thread model: "posix" (default) or "win32".
# Note: with "posix" every static executable carries libwinpthread, which imports
# GetTickCount64 from kernel32.dll (Vista and later); "win32" executables do not.
set(CMAKE_SYSTEM_NAME Windows)

if(NOT DEFINED LUMEVARIN_MINGW_THREADS)
    set(LUMEVARIN_MINGW_THREADS posix)
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES LUMEVARIN_MINGW_THREADS)

set(CMAKE_C_COMPILER ${LUMEVARIN_MINGW_PREFIX}-gcc-${LUMEVARIN_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${LUMEVARIN_MINGW_PREFIX}-g++-${LUMEVARIN_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${LUMEVARIN_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LUMEVARIN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
