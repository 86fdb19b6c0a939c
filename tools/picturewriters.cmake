# Writers of picture files of every format the show reads, for the tests,
# the benchmarks and the sample pictures.
add_library(tavrelle_picture_writers STATIC
  ${CMAKE_CURRENT_LIST_DIR}/picturewriters/PictureWriters.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picturewriters/PictureWriters.h)
target_include_directories(tavrelle_picture_writers PUBLIC ${CMAKE_CURRENT_LIST_DIR} PRIVATE ${CMAKE_SOURCE_DIR}/src)
find_package(ZLIB REQUIRED)
target_link_libraries(tavrelle_picture_writers PUBLIC Qt6::Core Qt6::Gui PkgConfig::LIBHEIF ZLIB::ZLIB)
