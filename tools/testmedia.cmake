# The test media library: picture and sound files of every format the show
# reads, written field by field, and a throw-away folder to put them in; linked
# by the tests, the benchmarks, the sample pictures, the fuzz seeds and the
# music CPU tool; and a file system whose chosen files never answer.
add_library(tavrelle_test_media STATIC
  ${CMAKE_CURRENT_LIST_DIR}/testmedia/PictureWriters.cpp
  ${CMAKE_CURRENT_LIST_DIR}/testmedia/SoundWriters.cpp
  ${CMAKE_CURRENT_LIST_DIR}/testmedia/StallingFileSystem.cpp
  ${CMAKE_CURRENT_LIST_DIR}/testmedia/TempFolder.cpp)
target_include_directories(tavrelle_test_media PUBLIC ${CMAKE_CURRENT_LIST_DIR} PRIVATE ${CMAKE_SOURCE_DIR}/src)
find_package(ZLIB REQUIRED)
target_link_libraries(tavrelle_test_media PUBLIC Qt6::Core Qt6::Gui PkgConfig::LIBHEIF PkgConfig::LIBJPEG ZLIB::ZLIB)
