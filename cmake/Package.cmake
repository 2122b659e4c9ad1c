# A Debian package of whatever `cmake --install` installs: `cpack -G DEB` in the build dir.
# Included after every install() rule, since include(CPack) reads the CPACK_ variables once.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tocolo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tocolo developers")
set(CPACK_PACKAGE_CONTACT "Tocolo developers <tocolo@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "clave rhythm trainer")
set(CPACK_PACKAGE_DESCRIPTION
    "Tocolo plays a clave pattern (2-3, 3-2 rumba or 6/8) with one of three sounds
(claves, hand clap or cowbell) at a tempo from 100 to 300. The pattern loops
sample-exact and without gaps until it is stopped with START/STOP or Space.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The binary is all a user runs; symbols only make the package larger.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Qt and libpulse come from what the binary links to. SDL2 is loaded only on desktops
# without a PulseAudio-protocol server, so it is recommended, not required. The font is not linked: the windows are
# laid out in dialog units measured from this face (it stands in for the templates' MS
# PGothic), so without it labels and buttons are sized for a font that is not there.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-ipafont-gothic)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS libsdl2-2.0-0)

# Keep `make package_source` from packing build trees and the repository's history.
set(CPACK_SOURCE_GENERATOR TXZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build/")

include(CPack)
