# tavrelle-icon: draws the application icon's PNG sizes at build time; the
# install rules take them from ${TAVRELLE_ICON_DIR}/<size>/tavrelle.png.
add_executable(tavrelle-icon ${CMAKE_CURRENT_LIST_DIR}/icon/main.cpp)
target_link_libraries(tavrelle-icon PRIVATE Qt6::Gui)

set(TAVRELLE_ICON_SIZES 48 128)
set(TAVRELLE_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
set(icon_files)
foreach(size ${TAVRELLE_ICON_SIZES})
  list(APPEND icon_files ${TAVRELLE_ICON_DIR}/${size}/tavrelle.png)
endforeach()
add_custom_command(OUTPUT ${icon_files}
  COMMAND tavrelle-icon ${TAVRELLE_ICON_DIR} ${TAVRELLE_ICON_SIZES}
  DEPENDS tavrelle-icon
  COMMENT "Drawing the application icon")
add_custom_target(tavrelle_icons ALL DEPENDS ${icon_files})
set(TAVRELLE_ICON_SIZES ${TAVRELLE_ICON_SIZES} PARENT_SCOPE)
set(TAVRELLE_ICON_DIR ${TAVRELLE_ICON_DIR} PARENT_SCOPE)
