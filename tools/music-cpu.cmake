# tavrelle-music-cpu: CPU use of the process while background music plays.
add_executable(tavrelle-music-cpu ${CMAKE_CURRENT_LIST_DIR}/music-cpu/main.cpp)
target_link_libraries(tavrelle-music-cpu PRIVATE tavrelle_core tavrelle_test_media)
