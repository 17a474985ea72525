# The Debian package: "cpack -G DEB" in the build folder makes brellin_<version>_<arch>.deb of
# everything "cmake --install" puts under the prefix /usr. The libraries it needs are found by
# dpkg-shlibdeps from the installed program itself, so the dependencies follow the build.

set(CPACK_PACKAGE_NAME brellin)
set(CPACK_PACKAGE_VENDOR Quillmere)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "annotate and fill in page images")
set(CPACK_PACKAGE_CONTACT "Quillmere <brellin@quillmere.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME brellin)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quillmere <brellin@quillmere.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quillmere.org/brellin")
# The synopsis line is the summary above; this is the long description under it (one string, so
# that CMake does not make a list of it).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Brellin opens scanned forms, screen captures, faxes and pictures as pages and
lets you write on them: text and form fields, lines, arrows, shapes, check
marks, freehand strokes and pictures. The page image stays as it was; the
annotations lie over it. Pages are printed, exported to PDF and picture
files, or sent by mail.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time rather than linked: Qt's picture plug-ins.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-image-formats-plugins")
# Spelling dictionaries, the mail hand-over and the scanner tools are used when present.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hunspell-en-us, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "sane-utils, cups-client")

include(CPack)
