# 64-bit Windows with Debian's x86_64-w64-mingw32-*-posix tools; see mingw-w64-common.cmake.
# Usage: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-x86_64.cmake [-DTESSIVAR_WINDOWS_DEPS=<prefix>] ...
set(TESSIVAR_MINGW_ARCH x86_64)
# SSE2 scalar arithmetic is the x86_64 default.
set(TESSIVAR_MINGW_ARCH_FLAGS "")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
