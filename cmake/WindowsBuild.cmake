# How the Windows executables are built, beyond the toolchain: the oldest Windows they run on, and the same bytes
# from every build of the same sources. Included from the top-level CMakeLists.txt in a Windows build.
include_guard(GLOBAL)

# The oldest Windows the program runs on: Vista (6.0), for GetTickCount64 (every other import, the static runtime's
# included, is older). The headers hide what is newer (_WIN32_WINNT), and the PE header declares it, so that an
# older Windows refuses the file with a clear message instead of failing to find an entry point.
set(TESSIVAR_WINDOWS_MIN_VERSION 6.0 CACHE INTERNAL "The oldest Windows version the executable runs on")
string(REPLACE "." ";" _wb_parts ${TESSIVAR_WINDOWS_MIN_VERSION})
list(GET _wb_parts 0 _wb_major)
list(GET _wb_parts 1 _wb_minor)
math(EXPR _wb_winnt "(${_wb_major} << 8) | ${_wb_minor}" OUTPUT_FORMAT HEXADECIMAL)
add_compile_definitions(_WIN32_WINNT=${_wb_winnt} WINVER=${_wb_winnt})
add_link_options(
    LINKER:--major-os-version,${_wb_major},--minor-os-version,${_wb_minor}
    LINKER:--major-subsystem-version,${_wb_major},--minor-subsystem-version,${_wb_minor})

# Reproducible: the PE header gets no link time, and no path of the source or build tree reaches the file.
add_link_options(LINKER:--no-insert-timestamp)
# (C and C++ alone: windres takes no such option.)
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.>"
                    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}=.>")

unset(_wb_parts)
unset(_wb_major)
unset(_wb_minor)
unset(_wb_winnt)
