# The renderer's checksum and frame writing, per 1024 x 768 frame.
find_package(benchmark QUIET)
if(TARGET benchmark::benchmark)
  add_executable(bench_render ${CMAKE_CURRENT_LIST_DIR}/bench/bench_render.cpp)
  target_link_libraries(bench_render PRIVATE tavrelle_render_lib benchmark::benchmark)
endif()
