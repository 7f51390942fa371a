# Two Debian packages from the install components: arkvale (client) and arkvale-server (server).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME arkvale)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Arkvale maintainers")
set(CPACK_PACKAGE_CONTACT "Arkvale maintainers <maintainers@users.noreply.c-seed-106c296a.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL client server)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(CPACK_DEBIAN_CLIENT_PACKAGE_NAME arkvale)
set(CPACK_DEBIAN_CLIENT_PACKAGE_DEPENDS "gzip (>= 1.6), ccrypt")
set(CPACK_COMPONENT_CLIENT_DESCRIPTION
    "desktop backup client with encrypted backups\nArkvale backs up the directories and files you tick in a drive tree: each file\nis compressed and encrypted with a key only you know, then sent to your account\non a backup server, from where it can be restored or deleted. Backups can also\nrun on a schedule. The package holds the main program and its configuration\nwizard.")

set(CPACK_DEBIAN_SERVER_PACKAGE_NAME arkvale-server)
set(CPACK_DEBIAN_SERVER_PACKAGE_SECTION net)
set(CPACK_DEBIAN_SERVER_PACKAGE_DEPENDS "ccrypt, adduser")
set(CPACK_COMPONENT_SERVER_DESCRIPTION
    "reference backup server for Arkvale clients\narkvale-server keeps accounts with quotas and stores the compressed, encrypted\nfiles that Arkvale clients send. It runs as the systemd service arkvale-server\nunder its own system user, with its data in /var/lib/arkvale-server.")
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_SOURCE_DIR}/debian/server/postinst
    ${CMAKE_CURRENT_SOURCE_DIR}/debian/server/prerm
    ${CMAKE_CURRENT_SOURCE_DIR}/debian/server/postrm
    ${CMAKE_CURRENT_SOURCE_DIR}/debian/server/conffiles)
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
