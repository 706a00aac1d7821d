# The Debian package, built by "cpack -G DEB" in the build folder. Its dependencies are computed
# by dpkg-shlibdeps from the libraries the programs link.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvo)
set(CPACK_PACKAGE_VENDOR "The Kelvo developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Learn Morse code by ear")
set(CPACK_PACKAGE_DESCRIPTION
    "Kelvo keys any text as Morse code, with plain or Farnsworth timing, at the speeds and pitch
you choose, and runs an adaptive drill over 40 characters with an error chart and a mastery
rating. It comes with 950 practice texts; kelvo-render keys text into a sound file.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kelvo developers <developers@kelvo.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://kelvo.org/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The help page opens in the desktop's browser; the ALSA plug-in lets PortAudio reach a
# PulseAudio or PipeWire sound server. Neither is linked, so neither can be computed.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, libasound2-plugins")
# The package declares its licence in its copyright file and its metainfo: GPL-3.0-or-later.
include(CPack)
