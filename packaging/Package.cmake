# The Debian package: "make package" writes build/tavrelle_<version>_amd64.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavrelle)
set(CPACK_PACKAGE_VENDOR "The Tavrelle developers")
set(CPACK_PACKAGE_CONTACT "The Tavrelle developers <tavrelle@tavrelle.invalid>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "picture slide-show screen saver with 143 transition effects")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tavrelle shows your pictures (BMP, GIF, JPEG, WMF, PNG, WebP, TIFF,
HEIC and AVIF) one after another, fitted and centred on a background colour
of your choice, and passes from one picture to the next through one of 143
transition effects. Background
music can play meanwhile: an MP3 or WAV file or an audio CD. Ten picture
groups and a weekly schedule choose what is shown. The user interface
follows the desktop's language: Japanese, or English everywhere else.
.
The package lists Tavrelle in XScreenSaver and in the screen savers of
MATE and Xfce, and adds its settings dialog to the application menu.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tavrelle.invalid/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# WebP and TIFF are read through Qt's image-format plugins, which nothing
# links; the sound and HEIF libraries are loaded when first needed, so
# dpkg-shlibdeps does not see them either (cmake/LateLibraries.cmake).
string(JOIN ", " late_depends ${TAVRELLE_LATE_DEPENDS})
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-image-formats-plugins, ${late_depends}")
# The dialogs are drawn in a Japanese font in either language, and Qt's own
# dialogs take their Japanese from Qt's translations.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic | fonts-noto-cjk, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver | mate-screensaver")
set(CPACK_STRIP_FILES ON)

# Maintainer scripts only keep XScreenSaver's system-wide list of programs
# in step (see packaging/xscreensaver-programs).
set(TAVRELLE_PROGRAMS_SCRIPT /usr/${CMAKE_INSTALL_LIBEXECDIR}/tavrelle/xscreensaver-programs)
set(TAVRELLE_VERSION ${PROJECT_VERSION})
set(debian_out ${CMAKE_BINARY_DIR}/install-files/debian)
foreach(script postinst prerm)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/debian/${script}.in ${debian_out}/${script} @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/packaging/debian/triggers ${debian_out}/triggers COPYONLY)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${debian_out}/postinst ${debian_out}/prerm ${debian_out}/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Debian wants the copyright and a compressed changelog in the documentation folder.
configure_file(${CMAKE_SOURCE_DIR}/packaging/debian/changelog ${debian_out}/changelog @ONLY)
add_custom_command(OUTPUT ${debian_out}/changelog.gz
  COMMAND ${GZIP_PROGRAM} -9n -c changelog > changelog.gz
  WORKING_DIRECTORY ${debian_out}
  DEPENDS ${debian_out}/changelog)
add_custom_target(tavrelle_changelog ALL DEPENDS ${debian_out}/changelog.gz)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/debian/copyright ${debian_out}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tavrelle)

include(CPack)
