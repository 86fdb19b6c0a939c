# Benchmarks: one Google Benchmark program per tools/bench/bench_*.cpp, built
# only where Google Benchmark is installed (scripts/install-deps.sh installs
# it). Speed targets are shown here as ratios within one run, never in tests.
find_package(benchmark QUIET)
if(TARGET benchmark::benchmark)
  file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/bench/bench_*.cpp)
  foreach(src ${BENCH_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE tavrelle_core tavrelle_test_media benchmark::benchmark)
  endforeach()
  # The renderer's checksum and frame writer live in its own library; its
  # videos are measured by running the program itself.
  target_link_libraries(bench_render PRIVATE tavrelle_render_lib)
  add_dependencies(bench_render tavrelle-render)
endif()
