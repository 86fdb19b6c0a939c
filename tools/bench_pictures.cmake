# Speed of picture loading: the metafile player on a busy drawing, reduced
# JPEG decoding against Qt's own reduced decode of the same file, and 12 MP
# HEIC and WebP photos against libheif's converter and Qt's plain decode.
find_package(benchmark QUIET)
if(TARGET benchmark::benchmark)
  add_executable(bench_pictures ${CMAKE_CURRENT_LIST_DIR}/bench/bench_pictures.cpp)
  target_link_libraries(bench_pictures PRIVATE tavrelle_core tavrelle_picture_writers benchmark::benchmark)
endif()
