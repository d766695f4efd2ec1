# 32-bit Windows with Debian's i686-w64-mingw32-*-posix tools; see mingw-w64-common.cmake.
# Usage: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-i686.cmake [-DTESSIVAR_WINDOWS_DEPS=<prefix>] ...
set(TESSIVAR_MINGW_ARCH i686)
# Float arithmetic in SSE registers, as on x86_64 and Linux, instead of the x87 stack with its 80-bit
# intermediates. With SSE on, this compiler also realigns the stack of every function that needs it
# (-mstackrealign is its default), so callbacks from Windows with 4-byte aligned stacks are safe.
set(TESSIVAR_MINGW_ARCH_FLAGS "-msse2 -mfpmath=sse")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
