# The Debian package, made by CPack from the install rules: `cpack -G DEB` in the build folder
# (scripts/package.sh does the whole build). Run-time dependencies come from dpkg-shlibdeps, which
# reads the libraries the installed programs link (the Qt 6 runtime packages, libc, libstdc++).

set(CPACK_PACKAGE_NAME field-console)
set(CPACK_PACKAGE_VENDOR Corvanta)
set(CPACK_PACKAGE_CONTACT "${FC_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "set up and watch an M852 transfer switch controller")
set(CPACK_PACKAGE_DESCRIPTION
    "Field Console is the desktop program with which a service technician\n\
sets up and watches an automatic transfer switch controller, model M852,\n\
over Modbus RTU on a serial port. field-console-cli reads and writes the\n\
controller's registers from scripts, and m852-sim is a simulated\n\
controller on a pseudo-terminal.\n\
\n\
All users in the group dialout share one account file in\n\
/var/lib/field-console.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${FC_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Qt plugins loaded at run time (xcb and offscreen display, the .ico reader for Resources/) come
# with libqt6gui6, which the programs link, so the list needs no hand-made additions.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/debian/postinst ${CMAKE_CURRENT_LIST_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_GENERATOR DEB)

include(CPack)
