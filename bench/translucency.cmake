# The translucency and pacing benchmark and its yardstick, plain_gauge; included by CMakeLists.txt.
find_package(OpenGL REQUIRED COMPONENTS GLX)
find_package(X11 REQUIRED)
find_package(Threads REQUIRED)

# The gauge's frame on bare Xlib + GLX: our render code without the Win32 layer, fontconfig or GLEW.
add_executable(plain_gauge ${CMAKE_CURRENT_LIST_DIR}/plain_gauge.cpp)
target_link_libraries(plain_gauge PRIVATE tessivar_gauge tessivar_x11_logic OpenGL::GLX X11::X11 Threads::Threads)

# The benchmark: both programs on one private Xvfb, frames counted from XDamage reports.
add_library(translucency_bench_parts STATIC
    ${CMAKE_CURRENT_LIST_DIR}/bench_figures.cpp
    ${CMAKE_CURRENT_LIST_DIR}/bench_options.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frame_tally.cpp
)
target_include_directories(translucency_bench_parts PUBLIC ${CMAKE_CURRENT_LIST_DIR})
add_executable(translucency_bench
    ${CMAKE_CURRENT_LIST_DIR}/translucency_bench.cpp
    ${CMAKE_CURRENT_LIST_DIR}/x_harness.cpp
)
target_link_libraries(translucency_bench PRIVATE translucency_bench_parts tessivar_x11_logic OpenGL::GLX X11::X11
                                                 X11::Xdamage X11::Xtst)
# The build tree's programs are the defaults; the colour-key micro-measure is used where it is built.
target_compile_definitions(translucency_bench PRIVATE TESSIVAR_EXE="$<TARGET_FILE:tessivar>"
                                                      PLAIN_GAUGE_EXE="$<TARGET_FILE:plain_gauge>")
add_dependencies(translucency_bench tessivar plain_gauge)
if(TARGET color_key_bench)
    target_compile_definitions(translucency_bench PRIVATE COLOR_KEY_BENCH_EXE="$<TARGET_FILE:color_key_bench>")
    add_dependencies(translucency_bench color_key_bench)
endif()

if(TESSIVAR_BUILD_TESTS)
    # The benchmark's own logic: tallies, figures, options, the swap-control choice.
    find_package(GTest REQUIRED)
    include(GoogleTest)
    add_executable(translucency_bench_tests ${CMAKE_CURRENT_LIST_DIR}/translucency_bench_test.cpp)
    target_link_libraries(translucency_bench_tests PRIVATE translucency_bench_parts tessivar_x11_logic GTest::gtest_main)
    gtest_discover_tests(translucency_bench_tests TEST_PREFIX "bench.")

    # The instruments against a private Xvfb: processes, the damage count, XTest keys, plain_gauge.
    add_executable(translucency_bench_xvfb_tests
        ${CMAKE_CURRENT_LIST_DIR}/translucency_bench_xvfb_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/x_harness.cpp
    )
    target_link_libraries(translucency_bench_xvfb_tests PRIVATE translucency_bench_parts X11::X11 X11::Xdamage X11::Xtst
                                                                X11::Xext GTest::gtest_main)
    target_compile_definitions(translucency_bench_xvfb_tests PRIVATE PLAIN_GAUGE_EXE="$<TARGET_FILE:plain_gauge>")
    add_dependencies(translucency_bench_xvfb_tests plain_gauge)
    gtest_discover_tests(translucency_bench_xvfb_tests TEST_PREFIX "bench.")
endif()
