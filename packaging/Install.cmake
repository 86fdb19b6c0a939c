# Install rules: the program and its renderer, and the entries that put
# Tavrelle where a desktop's users look for a screen saver: XScreenSaver's
# list, the screen-saver themes of MATE and Xfce, the application menu, the
# icon theme and the manual.
include(GNUInstallDirs)

# XScreenSaver looks for hacks and their descriptions in fixed folders
# (Debian: /usr/libexec/xscreensaver and /usr/share/xscreensaver/config);
# they follow the prefix here and can be given for another layout.
set(TAVRELLE_XSCREENSAVER_HACKDIR "${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver" CACHE STRING
  "Folder of XScreenSaver's hacks, relative to the prefix or absolute")
set(TAVRELLE_XSCREENSAVER_CONFIGDIR "${CMAKE_INSTALL_DATADIR}/xscreensaver/config" CACHE STRING
  "Folder of XScreenSaver's hack descriptions, relative to the prefix or absolute")
# pkg-config --variable=themesdir mate-screensaver names this folder.
set(TAVRELLE_SCREENSAVER_THEMESDIR "${CMAKE_INSTALL_DATADIR}/applications/screensavers" CACHE STRING
  "Folder of the screen-saver theme entries of MATE and Xfce")

set(TAVRELLE_DATA ${CMAKE_SOURCE_DIR}/data)
set(TAVRELLE_STAGE ${CMAKE_BINARY_DIR}/install-files)

install(TARGETS tavrelle tavrelle-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The hack entry is a relative link to the program, so it works under any
# prefix and inside the package. It runs under the same name, so
# XScreenSaver's settings find tavrelle.xml for it.
foreach(dir HACKDIR BINDIR)
  set(path ${TAVRELLE_XSCREENSAVER_HACKDIR})
  if(dir STREQUAL "BINDIR")
    set(path ${CMAKE_INSTALL_BINDIR})
  endif()
  if(IS_ABSOLUTE "${path}")
    set(full_${dir} ${path})
  else()
    set(full_${dir} /prefix/${path})
  endif()
endforeach()
file(RELATIVE_PATH hack_target ${full_HACKDIR} ${full_BINDIR}/tavrelle)
file(MAKE_DIRECTORY ${TAVRELLE_STAGE}/hack)
file(CREATE_LINK ${hack_target} ${TAVRELLE_STAGE}/hack/tavrelle SYMBOLIC)
install(FILES ${TAVRELLE_STAGE}/hack/tavrelle DESTINATION ${TAVRELLE_XSCREENSAVER_HACKDIR})
install(FILES ${TAVRELLE_DATA}/tavrelle.xml DESTINATION ${TAVRELLE_XSCREENSAVER_CONFIGDIR})
install(PROGRAMS ${CMAKE_SOURCE_DIR}/packaging/xscreensaver-programs
  DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/tavrelle)

install(FILES ${TAVRELLE_DATA}/tavrelle.desktop DESTINATION ${TAVRELLE_SCREENSAVER_THEMESDIR})
install(FILES ${TAVRELLE_DATA}/tavrelle-settings.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

install(FILES ${TAVRELLE_DATA}/tavrelle.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size ${TAVRELLE_ICON_SIZES})
  install(FILES ${TAVRELLE_ICON_DIR}/${size}/tavrelle.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Manual pages carry the project version and are installed compressed, as
# Debian wants them; man reads them either way.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(man_pages)
foreach(page tavrelle.1 tavrelle-render.1)
  set(TAVRELLE_VERSION ${PROJECT_VERSION})
  configure_file(${TAVRELLE_DATA}/man/${page} ${TAVRELLE_STAGE}/man/${page} @ONLY)
  add_custom_command(OUTPUT ${TAVRELLE_STAGE}/man/${page}.gz
    COMMAND ${GZIP_PROGRAM} -9n -c ${page} > ${page}.gz
    WORKING_DIRECTORY ${TAVRELLE_STAGE}/man
    DEPENDS ${TAVRELLE_STAGE}/man/${page})
  list(APPEND man_pages ${TAVRELLE_STAGE}/man/${page}.gz)
endforeach()
add_custom_target(tavrelle_man_pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# "sudo cmake --install build" lists Tavrelle in XScreenSaver as the package
# does; staged installs (DESTDIR, another --prefix, the package build) leave
# the system alone.
install(CODE "
  if(\"\$ENV{DESTDIR}\" STREQUAL \"\" AND \"\${CMAKE_INSTALL_PREFIX}\" STREQUAL \"${CMAKE_INSTALL_PREFIX}\"
     AND IS_DIRECTORY /etc/X11/app-defaults)
    execute_process(COMMAND \${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBEXECDIR}/tavrelle/xscreensaver-programs add
      RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(WARNING \"Tavrelle was not added to XScreenSaver's list of programs\")
    endif()
  endif()")
