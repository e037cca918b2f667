# Start-up, memory and interactive-solve benchmarks of the calculator (run by bench/startup.py),
# and the minimal Qt Widgets program they are compared with.
# Included from bench/CMakeLists.txt after find_package(benchmark).
if(CORVEL_BUILD_GUI)
    add_executable(bench_startup_minimal ${CMAKE_CURRENT_LIST_DIR}/startup_minimal.cpp)
    target_link_libraries(bench_startup_minimal PRIVATE Qt6::Widgets)
    # The same start-up probe as the calculator's (header only, Qt only).
    target_include_directories(bench_startup_minimal PRIVATE ${PROJECT_SOURCE_DIR}/src)

    add_executable(bench_main_form ${CMAKE_CURRENT_LIST_DIR}/bench_main_form.cpp)
    target_link_libraries(bench_main_form PRIVATE corvel_app corvel_version_resource
                                                  benchmark::benchmark)
endif()
