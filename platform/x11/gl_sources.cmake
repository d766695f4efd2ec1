# The GL side of the X11 layer: device contexts, pixel formats, WGL on GLX, palettes, colour key.
# Included by this directory's CMakeLists.txt, which adds TESSIVAR_GL_SOURCES to tessivar_platform
# and links TESSIVAR_GL_LIBS.
find_package(OpenGL REQUIRED COMPONENTS GLX)
find_package(X11 REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)

# Pure pieces (descriptors, format choice, colour-key rectangles, extension lists): no display needed.
add_library(tessivar_gl_formats STATIC
    ${CMAKE_CURRENT_LIST_DIR}/gl_pixel_formats.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gl_color_key.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wgl_extensions.cpp
)
target_include_directories(tessivar_gl_formats PUBLIC ${CMAKE_CURRENT_LIST_DIR})

# The fallback face for the text labels; the render tests link it without X.
add_library(tessivar_fonts STATIC ${CMAKE_CURRENT_LIST_DIR}/face_file.cpp)
target_link_libraries(tessivar_fonts PUBLIC PkgConfig::FONTCONFIG)

set(TESSIVAR_GL_SOURCES
    dc_device_context.cpp
    dc_pixel_format.cpp
    dc_surface.cpp
    dc_swap_buffers.cpp
    dc_color_key_shape.cpp
    wgl_context.cpp
    wgl_proc_address.cpp
    palette.cpp
)
set(TESSIVAR_GL_LIBS tessivar_gl_formats OpenGL::GL OpenGL::GLX X11::X11 X11::Xext)
