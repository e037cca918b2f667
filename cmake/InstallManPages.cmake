# Install step of the man pages (an install(SCRIPT)): the pages name the installed help page,
# whose place is known only now. `cmake --install --prefix DIR` and cpack (which installs under
# /usr) each get their own prefix filled in. Set before this script runs:
#   CORVEL_MAN_TEMPLATES  the pages' .1.in files
#   CORVEL_MAN_WORK_DIR   a build folder for the filled-in pages
#   CORVEL_DATADIR        the data folder, relative to the prefix or absolute
#   CORVEL_MANDIR         the man page folder, relative to the prefix or absolute
#   CORVEL_GZIP           gzip, or empty to install the pages uncompressed
#   PROJECT_VERSION       the version the pages name

function(corvel_under_prefix folder result)
    if(IS_ABSOLUTE "${folder}")
        set(${result} "${folder}" PARENT_SCOPE)
    else()
        set(${result} "${CMAKE_INSTALL_PREFIX}/${folder}" PARENT_SCOPE)
    endif()
endfunction()

corvel_under_prefix("${CORVEL_DATADIR}" data_dir)
corvel_under_prefix("${CORVEL_MANDIR}" man_dir)
set(CORVEL_HELP_PAGE "${data_dir}/corvel/Help/index.htm")
# A folder of this destination's own: cpack and `cmake --install` may run at the same time.
string(MD5 destination "$ENV{DESTDIR}|${CMAKE_INSTALL_PREFIX}")
set(work_dir ${CORVEL_MAN_WORK_DIR}/${destination})

foreach(template IN LISTS CORVEL_MAN_TEMPLATES)
    get_filename_component(page ${template} NAME_WLE)
    set(filled ${work_dir}/${page})
    configure_file(${template} ${filled} @ONLY)
    if(CORVEL_GZIP)
        # Debian keeps man pages gzipped (dh_compress does this for debhelper builds); -n leaves
        # the name and time out, so that the same page gives the same bytes.
        execute_process(COMMAND ${CORVEL_GZIP} -9 -n -c ${filled}
                        OUTPUT_FILE ${filled}.gz RESULT_VARIABLE status)
        if(NOT status EQUAL 0)
            message(FATAL_ERROR "gzip failed on ${filled}")
        endif()
        set(filled ${filled}.gz)
    endif()
    file(INSTALL DESTINATION "${man_dir}/man1" TYPE FILE
         PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ FILES ${filled})
endforeach()
