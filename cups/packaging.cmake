# `cpack -G DEB` in the build folder: a .deb that installs what
# `cmake --install` does, depending on the scheduler and on the Debian
# packages of the libraries the filter and its modules link.
set(CPACK_PACKAGE_NAME "tav-print-filters")
set(CPACK_PACKAGE_VERSION "0.1.0")
set(CPACK_PACKAGE_CONTACT "tav print filters developers <tav@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "XPS print filters for CUPS queues")
set(CPACK_PACKAGE_DESCRIPTION
    "Prints XPS and OpenXPS jobs on any CUPS queue: the jobs are imposed (N-up, booklet, poster, watermark, header and footer) and written as PDF or PWG Raster.")
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "text")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CMAKE_BINARY_DIR}/lib")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "cups-daemon (>= 2.4)")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cups, cups-filters, fonts-dejavu-core, fonts-liberation2")
# Only what the queue needs: the tests and developer tools are not installed.
set(CPACK_COMPONENTS_ALL Unspecified)
include(CPack)
