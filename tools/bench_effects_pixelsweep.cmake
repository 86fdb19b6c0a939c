# Benchmark of the pixel line sweeps at full-HD size (built only where Google
# Benchmark is installed).
find_package(benchmark QUIET)
if(TARGET benchmark::benchmark)
  add_executable(bench_effects_pixelsweep ${CMAKE_CURRENT_LIST_DIR}/bench_effects_pixelsweep.cpp)
  target_link_libraries(bench_effects_pixelsweep PRIVATE tavrelle_core benchmark::benchmark)
endif()
