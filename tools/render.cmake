# tavrelle-render: runs one transition headless and shows or exports its frames.
add_executable(tavrelle-render
  ${CMAKE_CURRENT_LIST_DIR}/render/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render/RenderOptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render/Crc32.cpp)
target_include_directories(tavrelle-render PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tavrelle-render PRIVATE tavrelle_core)
target_link_options(tavrelle-render PRIVATE ${TAVRELLE_PROGRAM_LINK_OPTIONS})

# The option parser and checksum are tested on their own.
add_library(tavrelle_render_lib STATIC
  ${CMAKE_CURRENT_LIST_DIR}/render/RenderOptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render/Crc32.cpp)
target_include_directories(tavrelle_render_lib PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tavrelle_render_lib PUBLIC tavrelle_core)
