# The Debian package: the programs in their FHS places, the helper's systemd units, the desktop
# entry and icon. `scripts/package` builds it from a tree configured for the machine itself.
include(GNUInstallDirs)
set(packaging ${PROJECT_SOURCE_DIR}/packaging/linux)

install(TARGETS Ventoria ventoriactl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS VentoriaHelper RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/ventoria)
# Debian 12 keeps units under /lib; with its merged /usr that is /usr/lib all the same.
set(helper_path /usr/${CMAKE_INSTALL_LIBEXECDIR}/ventoria/VentoriaHelper)
configure_file(${packaging}/ventoria-helper.service.in
               ${CMAKE_CURRENT_BINARY_DIR}/packaging/ventoria-helper.service @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/ventoria-helper.service
              ${packaging}/ventoria-helper.socket DESTINATION lib/systemd/system)
install(FILES ${packaging}/io.kestrand.ventoria.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/io.kestrand.ventoria.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${packaging}/debian/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/ventoria)
# The manual pages, compressed as Debian wants them and the same on every build.
set(manuals "")
foreach(page Ventoria.1 ventoriactl.1)
    set(compressed ${CMAKE_CURRENT_BINARY_DIR}/packaging/${page}.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND gzip -9nc ${packaging}/man/${page} > ${compressed}
        DEPENDS ${packaging}/man/${page} VERBATIM)
    list(APPEND manuals ${compressed})
endforeach()
add_custom_target(manual_pages ALL DEPENDS ${manuals})
install(FILES ${manuals} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# Debian wants a changelog in every package's documentation, compressed the same on every build;
# a package without a Debian revision is native, and its changelog has the plain name.
set(changelog ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog)
string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${changelog}
     "ventoria (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
     "  * Built from the Ventoria source tree.\n\n"
     " -- The Ventoria developers <ventoria@kestrand.io>  ${changelog_date}\n")
execute_process(COMMAND gzip -9nf ${changelog})
install(FILES ${changelog}.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/ventoria)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ventoria)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Ventoria developers <ventoria@kestrand.io>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "fan control for Macs running Linux")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Ventoria drives the fans of Intel, T2 and Apple-silicon Macs through the\n"
       "kernel's applesmc and macsmc_hwmon drivers: a root helper started by\n"
       "systemd, the only writer to the fans, and a tray application and\n"
       "ventoriactl for the user at the machine.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "init-system-helpers (>= 1.52)")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${packaging}/debian/postinst ${packaging}/debian/prerm
                                       ${packaging}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
