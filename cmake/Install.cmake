# Installing the desktop program (cmake --install) and the Debian package (cpack -G DEB).
# The program finds its data in ../share/mirthwick, so the data folder sits there beside bin/.
include(GNUInstallDirs)
install(TARGETS mirthwick RUNTIME DESTINATION bin)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/assets/Files DESTINATION share/mirthwick)
# The desktop entry, metainfo and icons are named by the AppStream id.
set(MIRTHWICK_APP_ID org.mirthwick.Mirthwick)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${MIRTHWICK_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${MIRTHWICK_APP_ID}.metainfo.xml DESTINATION share/metainfo)
# Debian wants the manual page and the changelog compressed at the highest level, without a time
# stamp; the copyright file is plain.
set(MIRTHWICK_MAN_GZ ${CMAKE_BINARY_DIR}/generated/mirthwick.6.gz)
set(MIRTHWICK_CHANGELOG_GZ ${CMAKE_BINARY_DIR}/generated/changelog.gz)
add_custom_command(OUTPUT ${MIRTHWICK_MAN_GZ} ${MIRTHWICK_CHANGELOG_GZ}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
  COMMAND gzip -9 -n -c ${CMAKE_SOURCE_DIR}/packaging/mirthwick.6 > ${MIRTHWICK_MAN_GZ}
  COMMAND gzip -9 -n -c ${CMAKE_SOURCE_DIR}/packaging/changelog > ${MIRTHWICK_CHANGELOG_GZ}
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/mirthwick.6 ${CMAKE_SOURCE_DIR}/packaging/changelog
  COMMENT "Compressing the manual page and the changelog")
add_custom_target(mirthwick_package_docs ALL DEPENDS ${MIRTHWICK_MAN_GZ} ${MIRTHWICK_CHANGELOG_GZ})
install(FILES ${MIRTHWICK_MAN_GZ} DESTINATION share/man/man6)
install(FILES ${MIRTHWICK_CHANGELOG_GZ} ${CMAKE_SOURCE_DIR}/packaging/copyright DESTINATION share/doc/mirthwick)
install(FILES ${CMAKE_SOURCE_DIR}/assets/icons/101.png DESTINATION share/icons/hicolor/16x16/apps
  RENAME ${MIRTHWICK_APP_ID}.png)
install(FILES ${CMAKE_SOURCE_DIR}/assets/icons/103.png DESTINATION share/icons/hicolor/32x32/apps
  RENAME ${MIRTHWICK_APP_ID}.png)
foreach(size 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/assets/icons/hicolor/${size}x${size}.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ${MIRTHWICK_APP_ID}.png)
endforeach()

set(CPACK_PACKAGE_NAME mirthwick)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "photograph the desktop and wreck it")
# Lines of the long description stay within 80 columns (lintian).
set(CPACK_PACKAGE_DESCRIPTION "Mirthwick photographs your desktop, covers the screen with the photo
and lets you wreck it with a hammer, a lighter and a rifle while two armies
of stick soldiers fight on it. Works on X11 and, through the screenshot
portal, on Wayland desktops.")
set(CPACK_PACKAGE_CONTACT "Mirthwick developers <developers@mirthwick.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Not "games": Debian keeps those in /usr/games, off root's PATH; the program is an X11 and
# Wayland desktop program in /usr/bin.
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-desktop-portal")
include(CPack)
