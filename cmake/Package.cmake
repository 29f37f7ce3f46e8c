# `cpack -G DEB` in a build folder (scripts/package.sh does it for a Release
# build) makes kestrawave_VERSION_ARCH.deb from the install rules.
set(CPACK_PACKAGE_NAME kestrawave)
set(CPACK_PACKAGE_VENDOR "The Kestrawave developers")
set(CPACK_PACKAGE_CONTACT "The Kestrawave developers <developers@kestrawave.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Broadcast Wave poly and mono file converter")
set(CPACK_PACKAGE_DESCRIPTION
    "Kestrawave converts Broadcast Wave (BWF) recordings between a poly file,
whose data chunk holds several channels, and mono files, one per channel,
named after the take. The metadata chunks that recorders write beside the
audio (bext, iXML, cue, plst, LIST and others) are carried on the way, and
files past 4 GiB are read and written as RF64.

The package holds the window (kestrawave) and a command-line tool for
scripts (kestrawave-cli) that run the same conversions.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Debian's own layout, made in the staged tree just before it is packed.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebianLayout.cmake)
set(CPACK_KESTRAWAVE_CHANGELOG ${PROJECT_SOURCE_DIR}/packaging/debian/changelog)

set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build/" "/build-[^/]*/")

include(CPack)
