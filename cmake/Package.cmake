# The Debian package: `cpack -G DEB` in the build folder (tools/package does it from a fresh
# Release build). Its dependencies are computed from the programs' shared libraries.
set(CPACK_PACKAGE_NAME orvex)
set(CPACK_PACKAGE_VENDOR "The Orvex developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for the boxes of MP4, 3GP and 3G2 files")
set(CPACK_PACKAGE_DESCRIPTION
    "Orvex reads an ISO base media file (MP4, 3GP, 3G2, Mobile MP4) once,\n\
box by box, decodes every box it knows into labelled fields and shows\n\
the whole file as a tree: Quick Information on the tracks and codecs,\n\
a check of the declared brands, every box with its fields and tables,\n\
and the chunks and samples under each media data box. A log traces\n\
every box, warning and error. The tree can be searched and exported as\n\
text or JSON.\n\
.\n\
orvex-dump prints the same tree on the command line.")
set(CPACK_PACKAGE_CONTACT "The Orvex developers <orvex@users.noreply.github.com>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://github.com/orvex/orvex)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window needs a Qt platform plugin (xcb, wayland); Debian ships them apart from Qt.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Files under /usr belong to root, whoever builds the package.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Debian asks for a compressed changelog in the package's documentation folder.
set(ORVEX_DEB_CHANGELOG ${CMAKE_CURRENT_BINARY_DIR}/deb/changelog)
string(TIMESTAMP ORVEX_CHANGELOG_DATE "%a, %d %b %Y 00:00:00 +0000" UTC)
file(WRITE ${ORVEX_DEB_CHANGELOG}
     "orvex (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
     "  * Release ${PROJECT_VERSION}; the changes are listed in history.txt.\n\n"
     " -- ${CPACK_PACKAGE_CONTACT}  ${ORVEX_CHANGELOG_DATE}\n")
add_custom_command(OUTPUT ${ORVEX_DEB_CHANGELOG}.gz
  COMMAND ${ORVEX_GZIP} -9nc ${ORVEX_DEB_CHANGELOG} > ${ORVEX_DEB_CHANGELOG}.gz
  DEPENDS ${ORVEX_DEB_CHANGELOG} VERBATIM)
add_custom_target(deb_changelog ALL DEPENDS ${ORVEX_DEB_CHANGELOG}.gz)
install(FILES ${ORVEX_DEB_CHANGELOG}.gz DESTINATION ${ORVEX_DOCDIR})

include(CPack)
