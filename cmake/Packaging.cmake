# The Debian package: cpack --preset deb (after building the package preset) packs whatever
# cmake --install puts in place: the program, its .desktop entry and its icon, under /usr.
set(CPACK_PACKAGE_NAME tovrenic)
set(CPACK_PACKAGE_VENDOR "Tovrenic")
set(CPACK_PACKAGE_CONTACT "Tovrenic developers <tovrenic@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Daily briefing of weather, news and a message for a chat")
set(CPACK_PACKAGE_DESCRIPTION [[
Tovrenic puts together a plain-text daily briefing to paste into a chat message: the weather of
a town, nine headlines of a news section and a message of your own, shown in three panels over
the picture of a phone chat screen. The text is written to wx.txt beside the program or put on
the clipboard.]])
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps finds the shared libraries (Qt, libcurl, PCRE2, ICU, libjpeg-turbo); beyond them
# the program needs the 黑体 face its panels are drawn in. Qt's X11 platform plugin comes with
# libqt6gui6.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-zenhei")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "fonts-noto-cjk")

include(CPack)
