# Installation: the three programs in one program folder (the item-name files are looked
# up beside the program) with h7extract's program, libh7extract.so, links to them from bin,
# a desktop entry with its icon and its AppStream metainfo. The Debian package is built from
# debian/ (scripts/package.sh).
include(GNUInstallDirs)
set(H7_PROGRAM_DIR ${CMAKE_INSTALL_LIBDIR}/h7select)

install(TARGETS h7select h7extract h7sample RUNTIME DESTINATION ${H7_PROGRAM_DIR})
install(TARGETS h7extract_program LIBRARY DESTINATION ${H7_PROGRAM_DIR})  # h7extract loads it from its own folder
if(H7_MAP)  # the map module beside the programs, which look for it there
  install(TARGETS h7map LIBRARY DESTINATION ${H7_PROGRAM_DIR})
endif()
foreach(program h7select h7extract h7sample)
  install(CODE "
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(CREATE_LINK ../${H7_PROGRAM_DIR}/${program}
         \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\" SYMBOLIC)")
endforeach()
install(FILES packaging/h7select.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/h7select.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES packaging/org.example.h7select.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Man pages: h7select's written by hand (it takes only Qt's options), the others made from
# each program's --help at build time (help2man); and bash completion.
install(FILES packaging/h7select.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
set(H7_MAN_SUMMARY_h7extract "extract items of the 1995 census small-area data into a CSV file")
set(H7_MAN_SUMMARY_h7sample "write synthetic item-name and census data files")
foreach(program h7extract h7sample)
  set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
  add_custom_command(OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}> -DNAME=${program} "-DSUMMARY=${H7_MAN_SUMMARY_${program}}"
            -DVERSION=${PROJECT_VERSION} -DINCLUDE=${CMAKE_SOURCE_DIR}/packaging/man/${program}.h2m -DOUTPUT=${page}
            -P ${CMAKE_SOURCE_DIR}/cmake/manpage.cmake
    DEPENDS ${program} ${CMAKE_SOURCE_DIR}/cmake/manpage.cmake ${CMAKE_SOURCE_DIR}/packaging/man/${program}.h2m
    COMMENT "Writing the man page of ${program}")
  list(APPEND H7_MAN_PAGES ${page})
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES packaging/bash-completion/${program} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
endforeach()
add_custom_target(man_pages ALL DEPENDS ${H7_MAN_PAGES})
