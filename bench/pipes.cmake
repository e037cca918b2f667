# Sizing for a pressure-drop limit, against one plain forward solve in the same run.
# Included from bench/CMakeLists.txt after find_package(benchmark).
add_executable(bench_sizing ${CMAKE_CURRENT_LIST_DIR}/bench_sizing.cpp)
target_link_libraries(bench_sizing PRIVATE corvel_pipes corvel_case benchmark::benchmark
                                           benchmark::benchmark_main)
