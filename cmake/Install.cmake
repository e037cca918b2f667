# Desktop integration (menu entry, icon, AppStream data, man page) and the Debian package.
# The programs' own install rules and the help page's are declared beside their targets.

set(CORVEL_APP_ID io.github.kestrone.corvel)

if(CORVEL_BUILD_GUI)
    install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/corvel.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PROJECT_SOURCE_DIR}/data/icons/corvel.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    # The PNG is drawn from the SVG by data/icons/render.sh and kept in the tree, so that the
    # build needs no SVG renderer.
    install(FILES ${PROJECT_SOURCE_DIR}/data/icons/corvel-256.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps
            RENAME corvel.png)
    configure_file(${PROJECT_SOURCE_DIR}/data/desktop/${CORVEL_APP_ID}.metainfo.xml.in
                   ${CMAKE_BINARY_DIR}/data/${CORVEL_APP_ID}.metainfo.xml @ONLY)
    install(FILES ${CMAKE_BINARY_DIR}/data/${CORVEL_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# Debian keeps man pages gzipped; dh_compress does that for debhelper builds, we do it here.
find_program(CORVEL_GZIP gzip)
set(man_page ${PROJECT_SOURCE_DIR}/data/man/corvel-solve.1)
if(CORVEL_GZIP)
    set(man_page_gz ${CMAKE_BINARY_DIR}/data/corvel-solve.1.gz)
    add_custom_command(OUTPUT ${man_page_gz}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/data
        COMMAND ${CORVEL_GZIP} -9 -n -c ${man_page} > ${man_page_gz}
        DEPENDS ${man_page}
        COMMENT "Compressing the corvel-solve man page")
    add_custom_target(corvel_man_page ALL DEPENDS ${man_page_gz})
    install(FILES ${man_page_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
    install(FILES ${man_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# Debian package: `cpack` in the build folder writes corvel_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvel)
set(CPACK_PACKAGE_VENDOR Kestrone)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Calculator for water flowing full in a round pipe")
set(CPACK_PACKAGE_DESCRIPTION
    "Corvel takes the flowrate, velocity, diameter, temperature and roughness of\n\
water flowing full in a round pipe and lists the water's properties, the\n\
Reynolds number, the Darcy friction factor with its flow regime and the\n\
pressure drop per metre. It includes corvel-solve, the same solver on the\n\
command line.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY corvel)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kestrone <corvel@kestrone.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Library dependencies come from dpkg-shlibdeps (package dpkg-dev); the Qt platform plugin for X
# and a font are loaded at run time, so no library names them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-dejavu-core | fonts-freefont-ttf")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
