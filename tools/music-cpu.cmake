# tavrelle-music-cpu: CPU use of the process while background music plays.
add_executable(tavrelle-music-cpu ${CMAKE_CURRENT_LIST_DIR}/music-cpu/main.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/music_test_audio.cpp)
target_include_directories(tavrelle-music-cpu PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(tavrelle-music-cpu PRIVATE tavrelle_core)
