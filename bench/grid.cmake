# Grid benchmarks: the sparse cell storage (memory and reads) and painting one screenful.
# Included from bench/CMakeLists.txt after find_package(benchmark).
if(CORVEL_BUILD_GUI)
    add_executable(bench_grid ${CMAKE_CURRENT_LIST_DIR}/bench_grid.cpp)
    target_link_libraries(bench_grid PRIVATE corvel_grid benchmark::benchmark)
endif()
