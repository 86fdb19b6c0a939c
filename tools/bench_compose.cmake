# Composition of a large photo against the decoder's own reduced decode.
find_package(benchmark QUIET)
if(TARGET benchmark::benchmark)
  add_executable(bench_compose ${CMAKE_CURRENT_LIST_DIR}/bench/bench_compose.cpp)
  target_link_libraries(bench_compose PRIVATE tavrelle_core benchmark::benchmark)
endif()
