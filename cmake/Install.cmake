# Desktop integration (menu entry, icon, AppStream data, man page) and the Debian package.
# The programs' own install rules and the help page's are declared beside their targets.

set(CORVEL_APP_ID io.github.kestrone.corvel)

if(CORVEL_BUILD_GUI)
    install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/corvel.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    # The case files' type, so that a file manager opens a .corvel file with corvel.
    install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/corvel-mime.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME corvel.xml)
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

# Man pages. A copy filled in with this build's prefix serves `man -l` and the tests; the
# installed pages are filled in at install time with the prefix actually installed to.
set(CORVEL_HELP_PAGE ${CMAKE_INSTALL_FULL_DATADIR}/corvel/Help/index.htm)
set(man_templates ${PROJECT_SOURCE_DIR}/data/man/corvel-solve.1.in)
if(CORVEL_BUILD_GUI)
    list(APPEND man_templates ${PROJECT_SOURCE_DIR}/data/man/corvel.1.in)
endif()
foreach(template ${man_templates})
    get_filename_component(page ${template} NAME_WLE)
    configure_file(${template} ${CMAKE_BINARY_DIR}/data/man/${page} @ONLY)
endforeach()
find_program(CORVEL_GZIP gzip)
install(CODE "
    set(CORVEL_MAN_TEMPLATES \"${man_templates}\")
    set(CORVEL_MAN_WORK_DIR \"${CMAKE_BINARY_DIR}/data/man/installed\")
    set(CORVEL_DATADIR \"${CMAKE_INSTALL_DATADIR}\")
    set(CORVEL_MANDIR \"${CMAKE_INSTALL_MANDIR}\")
    set(CORVEL_GZIP \"${CORVEL_GZIP}\")
    set(PROJECT_VERSION \"${PROJECT_VERSION}\")")
install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/InstallManPages.cmake)

# Debian's documentation of the package: the copyright file (machine-readable) and the
# changelog, written from NEWS.md. The folder is the package's name, not the project's.
set(CORVEL_MAINTAINER "Kestrone <corvel@kestrone.invalid>")
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/corvel)
install(FILES ${PROJECT_SOURCE_DIR}/data/doc/copyright DESTINATION ${doc_dir})
set(changelog ${CMAKE_BINARY_DIR}/data/changelog)
add_custom_command(OUTPUT ${changelog}
    COMMAND ${CMAKE_COMMAND} -DNEWS=${PROJECT_SOURCE_DIR}/NEWS.md -DOUTPUT=${changelog}
            -DPACKAGE=corvel -DVERSION=${PROJECT_VERSION} -DMAINTAINER=${CORVEL_MAINTAINER}
            -P ${PROJECT_SOURCE_DIR}/cmake/DebianChangelog.cmake
    DEPENDS ${PROJECT_SOURCE_DIR}/NEWS.md ${PROJECT_SOURCE_DIR}/cmake/DebianChangelog.cmake
    COMMENT "Writing the Debian changelog from NEWS.md"
    VERBATIM)
if(CORVEL_GZIP)
    add_custom_command(OUTPUT ${changelog}.gz
        COMMAND ${CORVEL_GZIP} -9 -n -c ${changelog} > ${changelog}.gz
        DEPENDS ${changelog}
        COMMENT "Compressing the Debian changelog")
    add_custom_target(corvel_changelog ALL DEPENDS ${changelog}.gz)
    install(FILES ${changelog}.gz DESTINATION ${doc_dir})
else()
    add_custom_target(corvel_changelog ALL DEPENDS ${changelog})
    install(FILES ${changelog} DESTINATION ${doc_dir})
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
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CORVEL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Library dependencies come from dpkg-shlibdeps (package dpkg-dev); the Qt platform plugin for X
# and a font are loaded at run time, so no library names them, and F1 opens the help page
# through xdg-open.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, fonts-dejavu-core | fonts-freefont-ttf, xdg-utils")
include(CPack)
