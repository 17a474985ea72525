# The imaging layer: raster images at their own depth, codecs, image operations and metafiles.
# libemf2svg and libuemf ship no pkg-config files, so they are found by header and library.
pkg_check_modules(PNG REQUIRED IMPORTED_TARGET libpng)
pkg_check_modules(TIFF REQUIRED IMPORTED_TARGET libtiff-4)
# zlib (libpng's own) to try the PNG row filters on a sample of a page's rows.
pkg_check_modules(ZLIB REQUIRED IMPORTED_TARGET zlib)
# libdeflate to inflate a PNG's rows in one go.
pkg_check_modules(DEFLATE REQUIRED IMPORTED_TARGET libdeflate)
find_path(EMF2SVG_INCLUDE_DIR emf2svg.h REQUIRED)
find_library(EMF2SVG_LIBRARY emf2svg REQUIRED)
find_path(UEMF_INCLUDE_DIR uemf.h REQUIRED)
find_library(UEMF_LIBRARY uemf REQUIRED)

brellin_library(imaging platform/imaging DEPS
  brellin_platform PkgConfig::PNG PkgConfig::TIFF PkgConfig::ZLIB PkgConfig::DEFLATE
  ${EMF2SVG_LIBRARY} ${UEMF_LIBRARY})
target_include_directories(brellin_imaging SYSTEM PRIVATE ${EMF2SVG_INCLUDE_DIR} ${UEMF_INCLUDE_DIR})
