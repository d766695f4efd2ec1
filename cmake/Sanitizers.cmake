# Instrumented builds of the tree's own code: sanitizers for the tests, libFuzzer for fuzz/.
#
# The flags go on every target this tree defines, which is all our code: GoogleTest, Mesa, FTGL,
# fontconfig and the rest come prebuilt from the system and stay uninstrumented (scripts/sanitize.sh
# suppresses their own findings by library name). Use a build directory of its own for each kind.

set(TESSIVAR_SANITIZE "" CACHE STRING "Instrument our code: address (ASan with UBSan), thread (TSan), or empty")
set_property(CACHE TESSIVAR_SANITIZE PROPERTY STRINGS "" address thread)
option(TESSIVAR_BUILD_FUZZERS "Build the libFuzzer targets in fuzz/ (needs Clang); instruments all our code" OFF)

if(TESSIVAR_BUILD_FUZZERS)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "TESSIVAR_BUILD_FUZZERS needs Clang (libFuzzer); configure with CXX=clang++")
    endif()
    if(TESSIVAR_SANITIZE)
        message(FATAL_ERROR "TESSIVAR_BUILD_FUZZERS brings its own sanitizers; leave TESSIVAR_SANITIZE empty")
    endif()
    # fuzzer-no-link: coverage feedback for libFuzzer from the code under test, without a main;
    # the targets in fuzz/ link with -fsanitize=fuzzer, which brings libFuzzer's.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
elseif(TESSIVAR_SANITIZE STREQUAL "address")
    set(tessivar_sanitizers address,undefined)
    # GCC leaves float-to-int overflow out of "undefined" (Clang has it in); the gauge turns
    # floats into pixel coordinates, so ask for it by name.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        string(APPEND tessivar_sanitizers ",float-cast-overflow")
    endif()
    add_compile_options(-fsanitize=${tessivar_sanitizers} -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=${tessivar_sanitizers})
elseif(TESSIVAR_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
elseif(TESSIVAR_SANITIZE)
    message(FATAL_ERROR "TESSIVAR_SANITIZE is \"${TESSIVAR_SANITIZE}\"; use address, thread or leave it empty")
endif()

# Sanitizer builds keep every library loaded until exit, so that reports name the library they come
# from (see tests/sanitizers/keep_libraries_loaded.cpp): every program links that dlclose and exports
# it, so the libraries' own calls reach it rather than the C library's.
if(TESSIVAR_SANITIZE)
    add_library(tessivar_keep_libraries_loaded STATIC
                ${CMAKE_CURRENT_LIST_DIR}/../tests/sanitizers/keep_libraries_loaded.cpp)
    link_libraries(tessivar_keep_libraries_loaded)
    add_link_options(LINKER:--undefined=tessivar_keep_libraries_loaded LINKER:--export-dynamic-symbol=dlclose)
endif()
