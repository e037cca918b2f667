# Water-property benchmarks: the IAPWS reference against the simple correlations.
# Included from bench/CMakeLists.txt after find_package(benchmark).
add_executable(bench_water ${CMAKE_CURRENT_LIST_DIR}/bench_water.cpp)
target_link_libraries(bench_water PRIVATE corvel_case benchmark::benchmark)
