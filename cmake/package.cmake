# `cpack -G DEB`: a Debian package of what `cmake --install` installs, its
# library dependencies (SDL 1.2 among them) found by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME tavino)
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_CONTACT "Tavino developers <tavino@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "scenario-driven visual novel player and authoring tools")
set(CPACK_PACKAGE_DESCRIPTION "Tavino plays visual novels written as plain Shift-JIS scenario files, \
with BMP, PNG, JPEG and run-length pictures and WAV sounds. tavino-tool creates new games, \
draws scene maps, checks scenarios and plays them headless.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY tavino)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS graphviz)
set(CPACK_GENERATOR DEB)
include(CPack)
