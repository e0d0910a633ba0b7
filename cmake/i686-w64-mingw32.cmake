# Cross toolchain: 32-bit Windows, the shipped program.
set(LUMEVARIN_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake")
