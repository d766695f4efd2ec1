# Shared part of the mingw-w64 toolchain files: Debian's -posix cross compilers (winpthreads, so std::thread
# and std::mutex work) for TESSIVAR_MINGW_ARCH, which the including file sets to i686 or x86_64.
#
# The third-party libraries come from scripts/windows-deps.sh, which builds them into a cache outside the tree
# and records the prefix it made. The prefix is taken from, first to last:
#   -DTESSIVAR_WINDOWS_DEPS=<prefix>, the environment variable TESSIVAR_WINDOWS_DEPS, or the file
#   <cache>/windows-deps/<arch>.prefix written by the script, where <cache> is $TESSIVAR_CACHE,
#   else $XDG_CACHE_HOME/tessivar, else $HOME/.cache/tessivar.
# That prefix and Debian's mingw-w64 sysroot are the only places searched for libraries, headers and packages.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TESSIVAR_MINGW_ARCH})
set(TESSIVAR_MINGW_TRIPLET ${TESSIVAR_MINGW_ARCH}-w64-mingw32)

set(CMAKE_C_COMPILER ${TESSIVAR_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TESSIVAR_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TESSIVAR_MINGW_TRIPLET}-windres)
# The -posix compiler names hide the tool prefix from CMake, so the binutils are named here.
find_program(CMAKE_AR ${TESSIVAR_MINGW_TRIPLET}-ar)
find_program(CMAKE_RANLIB ${TESSIVAR_MINGW_TRIPLET}-ranlib)
find_program(CMAKE_NM ${TESSIVAR_MINGW_TRIPLET}-nm)
find_program(CMAKE_OBJCOPY ${TESSIVAR_MINGW_TRIPLET}-objcopy)
find_program(CMAKE_OBJDUMP ${TESSIVAR_MINGW_TRIPLET}-objdump)
find_program(CMAKE_STRIP ${TESSIVAR_MINGW_TRIPLET}-strip)

# TESSIVAR_MINGW_ARCH_FLAGS is set by the including file ("-msse2 -mfpmath=sse" on i686). The C++ runtime,
# libgcc and winpthreads are linked statically: the executable needs only DLLs that Windows ships.
set(CMAKE_C_FLAGS_INIT "${TESSIVAR_MINGW_ARCH_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${TESSIVAR_MINGW_ARCH_FLAGS}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# Where scripts/windows-deps.sh put the libraries.
if(NOT TESSIVAR_WINDOWS_DEPS)
    if(DEFINED ENV{TESSIVAR_WINDOWS_DEPS})
        set(TESSIVAR_WINDOWS_DEPS "$ENV{TESSIVAR_WINDOWS_DEPS}")
    else()
        if(DEFINED ENV{TESSIVAR_CACHE} AND NOT "$ENV{TESSIVAR_CACHE}" STREQUAL "")
            set(_tessivar_cache "$ENV{TESSIVAR_CACHE}")
        elseif(DEFINED ENV{XDG_CACHE_HOME} AND NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
            set(_tessivar_cache "$ENV{XDG_CACHE_HOME}/tessivar")
        else()
            set(_tessivar_cache "$ENV{HOME}/.cache/tessivar")
        endif()
        set(_tessivar_record "${_tessivar_cache}/windows-deps/${TESSIVAR_MINGW_ARCH}.prefix")
        if(EXISTS "${_tessivar_record}")
            file(STRINGS "${_tessivar_record}" TESSIVAR_WINDOWS_DEPS LIMIT_COUNT 1)
        endif()
    endif()
endif()
if(TESSIVAR_WINDOWS_DEPS AND NOT EXISTS "${TESSIVAR_WINDOWS_DEPS}/include")
    message(WARNING "TESSIVAR_WINDOWS_DEPS=${TESSIVAR_WINDOWS_DEPS} has no include/; "
                    "run scripts/windows-deps.sh ${TESSIVAR_MINGW_ARCH}")
endif()
# try_compile projects read this file again; they get the same prefix.
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TESSIVAR_WINDOWS_DEPS)

# A build directory configured again after the script made a new prefix follows it: cached results that name
# the old prefix, and pkg-config's checks, are dropped so that they are made again.
if(NOT "$CACHE{TESSIVAR_WINDOWS_DEPS_CONFIGURED}" STREQUAL ""
   AND NOT "$CACHE{TESSIVAR_WINDOWS_DEPS_CONFIGURED}" STREQUAL "${TESSIVAR_WINDOWS_DEPS}")
    get_cmake_property(_tessivar_cached CACHE_VARIABLES)
    foreach(_tessivar_var IN LISTS _tessivar_cached)
        string(FIND "$CACHE{${_tessivar_var}}" "$CACHE{TESSIVAR_WINDOWS_DEPS_CONFIGURED}" _tessivar_at)
        if(_tessivar_var MATCHES "^__pkg_config_checked_" OR NOT _tessivar_at EQUAL -1)
            unset(${_tessivar_var} CACHE)
        endif()
    endforeach()
endif()
set(TESSIVAR_WINDOWS_DEPS_CONFIGURED "${TESSIVAR_WINDOWS_DEPS}" CACHE INTERNAL "The deps prefix of the last configure")

set(CMAKE_FIND_ROOT_PATH /usr/${TESSIVAR_MINGW_TRIPLET} ${TESSIVAR_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config (pkg_check_modules) sees only the prefix's .pc files, never the build machine's.
if(TESSIVAR_WINDOWS_DEPS)
    set(ENV{PKG_CONFIG_LIBDIR} "${TESSIVAR_WINDOWS_DEPS}/lib/pkgconfig")
else()
    set(ENV{PKG_CONFIG_LIBDIR} "/nonexistent")
endif()
set(ENV{PKG_CONFIG_PATH} "")
