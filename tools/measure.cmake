# tavrelle-measure: figures of the running show on an X server (see measure-show.sh).
add_executable(tavrelle-measure
  ${CMAKE_CURRENT_LIST_DIR}/measure/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/measure/ShowCost.cpp
  ${CMAKE_CURRENT_LIST_DIR}/measure/XClient.cpp)
target_include_directories(tavrelle-measure PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tavrelle-measure PRIVATE tavrelle_core tavrelle_test_media X11::Xtst)
