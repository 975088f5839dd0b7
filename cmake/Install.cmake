# Installing the desktop program (cmake --install) and the Debian package (cpack -G DEB).
# The program finds its data in ../share/mirthwick, so the data folder sits there beside bin/.
include(GNUInstallDirs)
install(TARGETS mirthwick RUNTIME DESTINATION bin)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/assets/Files DESTINATION share/mirthwick)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/mirthwick.desktop DESTINATION share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/mirthwick.metainfo.xml DESTINATION share/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/mirthwick.6 DESTINATION share/man/man6)
install(FILES ${CMAKE_SOURCE_DIR}/assets/icons/103.png DESTINATION share/icons/hicolor/32x32/apps RENAME mirthwick.png)
install(FILES ${CMAKE_SOURCE_DIR}/assets/icons/101.png DESTINATION share/icons/hicolor/16x16/apps RENAME mirthwick.png)

set(CPACK_PACKAGE_NAME mirthwick)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "photograph the desktop and wreck it")
set(CPACK_PACKAGE_DESCRIPTION "Mirthwick photographs your desktop, covers the screen with the photo and lets you
wreck it with a hammer, a lighter and a rifle while two armies of stick soldiers fight on it.
Works on X11 and, through the screenshot portal, on Wayland desktops.")
set(CPACK_PACKAGE_CONTACT "Mirthwick developers <mirthwick@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-desktop-portal")
include(CPack)
