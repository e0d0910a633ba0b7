# Cross toolchain: 64-bit Windows, the test flavor for machines that cannot run 32-bit code.
set(LUMEVARIN_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake")
