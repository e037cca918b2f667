# Moody diagram benchmark: one redraw at 1000 × 700 against drawing its polylines alone.
# Included from bench/CMakeLists.txt after find_package(benchmark).
if(CORVEL_BUILD_GUI)
    add_executable(bench_chart ${CMAKE_CURRENT_LIST_DIR}/bench_chart.cpp)
    target_link_libraries(bench_chart PRIVATE corvel_chart benchmark::benchmark)
endif()
