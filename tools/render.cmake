# tavrelle-render: runs one transition headless and shows or exports its frames.
find_package(ZLIB REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(LIBDEFLATE REQUIRED IMPORTED_TARGET libdeflate)

# The option parser, checksum and frame writer are tested on their own.
add_library(tavrelle_render_lib STATIC
  ${CMAKE_CURRENT_LIST_DIR}/render/RenderOptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render/Crc32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render/FrameWriter.cpp)
target_include_directories(tavrelle_render_lib PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tavrelle_render_lib PUBLIC tavrelle_core ZLIB::ZLIB PkgConfig::LIBDEFLATE Threads::Threads)

add_executable(tavrelle-render ${CMAKE_CURRENT_LIST_DIR}/render/main.cpp)
target_link_libraries(tavrelle-render PRIVATE tavrelle_render_lib)
target_link_options(tavrelle-render PRIVATE ${TAVRELLE_PROGRAM_LINK_OPTIONS})
