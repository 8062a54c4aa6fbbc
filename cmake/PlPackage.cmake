# The Debian package of the whole installation, built with CPack:
#   cmake -S . -B build/package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr
#   cmake --build build/package && (cd build/package && cpack -G DEB)
# tools/package-test.sh builds it and tries it in a fresh Debian root.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME parlino)
set(CPACK_PACKAGE_VENDOR "Parlino Messenger project")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "LAN instant messenger for Windows and Samba networks")
set(CPACK_PACKAGE_DESCRIPTION "Parlino Messenger is an instant messenger for the local network that lives
in the tray. Personal messages travel as SMB messenger commands over NetBIOS
sessions, broadcasts as mailslot datagrams, so it talks to copies of itself,
to Samba (smbclient -M, smbd) and to older Windows computers, with no server.
It keeps a message archive, a contact list, searches the LAN, and has hot
keys, sounds and interface languages.
.
The package holds the desktop program parlino, the command-line tool
parlino-cli and the installer helper library libplinstlib.so.1.")
# The files go where the programs look for them (the language folder is
# compiled in from CMAKE_INSTALL_PREFIX).
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# No address of the project exists yet; the field is required.
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Parlino Messenger project")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Dependencies are Debian package names: dpkg-shlibdeps finds the packages of
# the shared libraries the programs and the library link. Qt's xcb plugin
# comes with libqt6gui6; the SVG plugins that draw every icon come with
# libqt6svg6, which no program links, so it is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
# Freedesktop sound theme for the default sounds; a tray host to show the icon.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "sound-theme-freedesktop")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "smbclient, nftables")
# shlibs for libplinstlib.so.1 and the ldconfig trigger.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PL_DEBIAN_CONTROL_EXTRA})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
