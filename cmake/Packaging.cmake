# SPDX-License-Identifier: GPL-3.0-or-later
# Debian packages: `scripts/package.sh` builds them (cpack -G DEB): kivo with the client, and
# veltra-devserver with the development server.

# Compressed man pages and changelog, as Debian has them.
function(kivo_gzip source output)
    add_custom_command(OUTPUT ${output}
        COMMAND gzip -9n -c ${source} > ${output}
        DEPENDS ${source} VERBATIM)
endfunction()
set(packaging ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${packaging})
foreach(page kivo veltra-devserver)
    kivo_gzip(${PROJECT_SOURCE_DIR}/share/man/${page}.1 ${packaging}/${page}.1.gz)
    list(APPEND packaging_files ${packaging}/${page}.1.gz)
endforeach()
kivo_gzip(${PROJECT_SOURCE_DIR}/share/debian/changelog ${packaging}/changelog.gz)
add_custom_target(kivo_packaging_files ALL DEPENDS ${packaging_files} ${packaging}/changelog.gz)

install(FILES ${PROJECT_SOURCE_DIR}/share/kivo.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT kivo)
install(FILES ${PROJECT_SOURCE_DIR}/share/kivo.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT kivo)
install(FILES ${PROJECT_SOURCE_DIR}/share/metainfo/net.veltra.Kivo.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT kivo)
foreach(component kivo veltra-devserver)
    install(FILES ${packaging}/${component}.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
    install(FILES ${PROJECT_SOURCE_DIR}/share/debian/copyright ${packaging}/changelog.gz
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${component} COMPONENT ${component})
endforeach()

set(CPACK_PACKAGE_NAME kivo)
set(CPACK_PACKAGE_VENDOR "The Kivo developers")
set(CPACK_PACKAGE_CONTACT "The Kivo developers <kivo@veltra.net>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL kivo veltra-devserver)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.veltra.net/)
set(CPACK_DEBIAN_KIVO_PACKAGE_NAME kivo)
# Loaded as plugins, so not found among the libraries the program links: the X11 platform,
# and SQLite for the history; the Wayland platform where there is Wayland, libsecret, which
# QtKeychain loads to reach the desktop's keyring, and a dictionary for the spelling.
set(CPACK_DEBIAN_KIVO_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite")
set(CPACK_DEBIAN_KIVO_PACKAGE_RECOMMENDS
    "qt6-wayland, libsecret-1-0, hunspell-en-us | hunspell-dictionary")
set(CPACK_DEBIAN_KIVO_DESCRIPTION "instant-messaging client for the Veltra chat network
Kivo logs in to a Veltra chat server, keeps a contact list in categories,
chats privately with contacts, one window per contact, joins one conference
room at a time and keeps a server-side ignore list.")
set(CPACK_DEBIAN_VELTRA-DEVSERVER_PACKAGE_NAME veltra-devserver)
set(CPACK_DEBIAN_VELTRA-DEVSERVER_DESCRIPTION "small Veltra chat server for trying Kivo out
A Veltra chat server for demonstrations and tests: accounts registered on
first login, private messages, conference rooms, ignore lists and the
keep-alive. Passwords travel and are stored in clear text.")
include(CPack)
