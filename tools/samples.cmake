# tavrelle-samples: the sample pictures of the demo, drawn in code, and a
# picture list naming them.
add_executable(tavrelle-samples ${CMAKE_CURRENT_LIST_DIR}/samples/Samples.cpp)
target_link_libraries(tavrelle-samples PRIVATE tavrelle_test_media tavrelle_core)
