# Imported targets for the static third-party libraries that scripts/windows-deps.sh builds for a Windows target:
#
#   Freetype::Freetype  libfreetype.a, include/freetype2
#   FTGL::FTGL          libftgl.a (+ Freetype::Freetype, GLU32, OPENGL32), FTGL_LIBRARY_STATIC
#   GLEW::GLEW          libglew32s.a (+ OPENGL32), GLEW_STATIC as an interface define
#   OpenGL::GL, OpenGL::GLU from CMake's FindOpenGL (OPENGL32 and GLU32 of the mingw-w64 sysroot)
#
# Use, in an if(WIN32) part of a build configured with cmake/toolchains/mingw-w64-<arch>.cmake:
#   include(${PROJECT_SOURCE_DIR}/cmake/WindowsDeps.cmake)
# The prefix is TESSIVAR_WINDOWS_DEPS, which the toolchain file sets (from -DTESSIVAR_WINDOWS_DEPS=, the
# environment, or the record that scripts/windows-deps.sh leaves in its cache).
#
# Include it before any find_package(GLEW) / find_package(Freetype): CMake's FindGLEW and FindFreetype then
# find these headers and libraries and keep the targets defined here (they create GLEW::GLEW and
# Freetype::Freetype only where no such target exists). FindGLEW on its own would neither define GLEW_STATIC
# nor link OPENGL32, and render/'s pkg_check_modules(ftgl) would want PKG_CONFIG_LIBDIR (the toolchain sets
# it to the prefix's lib/pkgconfig, whose ftgl.pc names the same libraries).

include_guard(GLOBAL)

if(NOT TESSIVAR_WINDOWS_DEPS)
    message(FATAL_ERROR "WindowsDeps: TESSIVAR_WINDOWS_DEPS is not set. Run scripts/windows-deps.sh <i686|x86_64> "
                        "and configure with cmake/toolchains/mingw-w64-<arch>.cmake "
                        "(or pass -DTESSIVAR_WINDOWS_DEPS=<the prefix it printed>).")
endif()

set(_wd_lib "${TESSIVAR_WINDOWS_DEPS}/lib")
set(_wd_include "${TESSIVAR_WINDOWS_DEPS}/include")
foreach(_wd_file "${_wd_lib}/libfreetype.a" "${_wd_lib}/libftgl.a" "${_wd_lib}/libglew32s.a"
                 "${_wd_include}/freetype2/ft2build.h" "${_wd_include}/FTGL/ftgl.h" "${_wd_include}/GL/glew.h")
    if(NOT EXISTS "${_wd_file}")
        message(FATAL_ERROR "WindowsDeps: ${_wd_file} is missing; run scripts/windows-deps.sh again.")
    endif()
endforeach()

find_package(OpenGL REQUIRED)

if(NOT TARGET Freetype::Freetype)
    add_library(Freetype::Freetype STATIC IMPORTED)
    set_target_properties(Freetype::Freetype PROPERTIES
        IMPORTED_LOCATION "${_wd_lib}/libfreetype.a"
        INTERFACE_INCLUDE_DIRECTORIES "${_wd_include}/freetype2")
endif()

if(NOT TARGET FTGL::FTGL)
    add_library(FTGL::FTGL STATIC IMPORTED)
    set_target_properties(FTGL::FTGL PROPERTIES
        IMPORTED_LOCATION "${_wd_lib}/libftgl.a"
        INTERFACE_INCLUDE_DIRECTORIES "${_wd_include}"
        INTERFACE_COMPILE_DEFINITIONS FTGL_LIBRARY_STATIC
        INTERFACE_LINK_LIBRARIES "Freetype::Freetype;OpenGL::GLU;OpenGL::GL")
endif()

if(NOT TARGET GLEW::GLEW)
    add_library(GLEW::GLEW STATIC IMPORTED)
    set_target_properties(GLEW::GLEW PROPERTIES
        IMPORTED_LOCATION "${_wd_lib}/libglew32s.a"
        INTERFACE_INCLUDE_DIRECTORIES "${_wd_include}"
        INTERFACE_COMPILE_DEFINITIONS GLEW_STATIC
        INTERFACE_LINK_LIBRARIES OpenGL::GL)
endif()

# What FindGLEW and FindFreetype look for, so a later find_package() succeeds without searching elsewhere;
# forced, so that a build directory configured again after the prefix changed follows it.
set(GLEW_USE_STATIC_LIBS ON)
set(GLEW_INCLUDE_DIR "${_wd_include}" CACHE PATH "GLEW headers (windows-deps)" FORCE)
set(GLEW_STATIC_LIBRARY_RELEASE "${_wd_lib}/libglew32s.a" CACHE FILEPATH "GLEW static library (windows-deps)" FORCE)
set(FREETYPE_INCLUDE_DIR_ft2build "${_wd_include}/freetype2" CACHE PATH "FreeType headers (windows-deps)" FORCE)
set(FREETYPE_INCLUDE_DIR_freetype2 "${_wd_include}/freetype2" CACHE PATH "FreeType headers (windows-deps)" FORCE)
set(FREETYPE_LIBRARY_RELEASE "${_wd_lib}/libfreetype.a" CACHE FILEPATH "FreeType static library (windows-deps)" FORCE)

unset(_wd_file)
unset(_wd_lib)
unset(_wd_include)
