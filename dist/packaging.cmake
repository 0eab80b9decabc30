# `make package`: a Debian package of the programs, the library and the
# desktop files. Its Depends come from dpkg-shlibdeps; libpixkit travels
# inside the package, so its own folder is searched as well.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME stempora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Velmora)
set(CPACK_PACKAGE_CONTACT "Velmora <stempora@stempora.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "stamp a watermark onto a batch of pictures")
set(CPACK_PACKAGE_DESCRIPTION
    "Stempora stamps a text and/or picture watermark onto a whole batch of\n"
    "pictures and writes the results into an output subfolder beside each\n"
    "source. It reads and writes BMP, GIF, IFF/LBM, JPEG, PCX, TGA, TIFF and\n"
    "JPEG 2000 through its own imaging library, Pixkit.\n"
    "\n"
    "The package holds the window program stempora, the command-line runner\n"
    "stempora-batch and the Pixkit library with its header.")
string(CONCAT CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://stempora.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# The window needs a platform plugin to open on X11 or Wayland, which
# Debian ships apart from libqt6gui6; German dialogs need Qt's translations.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
# libpixkit goes into a system library folder: the ldconfig trigger lets
# dpkg refresh the library cache once at the end of an install run.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
