# Speed of the raster layer, as ratios against plain memory copies in the same run.
find_package(benchmark QUIET)
if(TARGET benchmark::benchmark)
  add_executable(bench_raster ${CMAKE_CURRENT_LIST_DIR}/bench/bench_raster.cpp)
  target_link_libraries(bench_raster PRIVATE tavrelle_core benchmark::benchmark)
endif()
