# tavrelle-exit-latency: key press to the end of the show's process while its
# pictures block or take long (a pipe in the list, a 50-megapixel photo).
find_library(XTST_LIBRARY Xtst)
if(XTST_LIBRARY)
  add_executable(tavrelle-exit-latency ${CMAKE_CURRENT_LIST_DIR}/exit-latency/main.cpp)
  target_link_libraries(tavrelle-exit-latency PRIVATE tavrelle_core ${XTST_LIBRARY})
endif()
