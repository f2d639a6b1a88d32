# The Debian package of the Linux build: `cpack -G DEB` in the release build folder makes
# palvane2_VERSION_ARCH.deb with both programs, the desktop integration and the documents.
# Its dependencies are read from the programs themselves (dpkg-shlibdeps).
set(CPACK_PACKAGE_NAME palvane2)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Re-assign the palettes of the sprites in IFF resource files")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Palvane 2 shows the sprites of an IFF resource file in the colours of their\n"
       "palettes and changes which palette each frame names, one by one or for the whole\n"
       "file. palvane2-cli does the same from the command line, for many files at once.")
set(CPACK_PACKAGE_CONTACT "Palvane 2 developers <palvane2@palvane.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The desktop's caches pick up the entry, the file type and the icons by their triggers.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, hicolor-icon-theme")
include(CPack)
