# What `cmake --install` puts in place, in the layout of a Debian desktop program: the two
# programs, their man pages and the bash completion, and with the viewer its desktop entry
# (registered for the MP4 and 3GP media types), its AppStream metadata and its icon in the
# hicolor theme (SVG, and PNG from 16 to 256 pixels). cmake/Package.cmake makes the .deb.
include(GNUInstallDirs)
# Debian keeps a package's documents under the package's name, not the project's.
set(ORVEX_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/orvex)
set(ORVEX_RESOURCES_DIR ${CMAKE_CURRENT_LIST_DIR}/../resources)
set(ORVEX_DOCS_DIR ${CMAKE_CURRENT_LIST_DIR}/../docs)
set(ORVEX_APPSTREAM_ID io.github.orvex.Orvex)

install(TARGETS orvex-dump RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${ORVEX_RESOURCES_DIR}/completion/orvex-dump
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# Man pages are installed compressed, as Debian's policy asks; -n keeps the bytes the same from
# one build to the next.
find_program(ORVEX_GZIP gzip REQUIRED)
set(ORVEX_MAN_PAGES orvex-dump.1)
if(TARGET orvex)
  list(APPEND ORVEX_MAN_PAGES orvex.1)
endif()
foreach(page ${ORVEX_MAN_PAGES})
  set(compressed ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man
    COMMAND ${ORVEX_GZIP} -9nc ${ORVEX_DOCS_DIR}/man/${page} > ${compressed}
    DEPENDS ${ORVEX_DOCS_DIR}/man/${page} VERBATIM)
  list(APPEND ORVEX_COMPRESSED_MAN_PAGES ${compressed})
endforeach()
add_custom_target(man_pages ALL DEPENDS ${ORVEX_COMPRESSED_MAN_PAGES})
install(FILES ${ORVEX_COMPRESSED_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${CMAKE_CURRENT_LIST_DIR}/../README.md ${ORVEX_RESOURCES_DIR}/copyright
              ${ORVEX_RESOURCES_DIR}/history.txt ${ORVEX_DOCS_DIR}/orvex-json.schema.json
        DESTINATION ${ORVEX_DOCDIR})

if(TARGET orvex)
  install(TARGETS orvex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${ORVEX_RESOURCES_DIR}/orvex.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${ORVEX_RESOURCES_DIR}/${ORVEX_APPSTREAM_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${ORVEX_RESOURCES_DIR}/icons/orvex.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${ORVEX_RESOURCES_DIR}/icons/hicolor/${size}x${size}/orvex.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
endif()

# What desktops and software centres read must pass their validators, or they may ignore it;
# man pages must pass the man page lint.
if(ORVEX_BUILD_TESTS)
  find_program(ORVEX_DESKTOP_FILE_VALIDATE desktop-file-validate)
  find_program(ORVEX_APPSTREAMCLI appstreamcli)
  find_program(ORVEX_MANDOC mandoc)
  if(ORVEX_DESKTOP_FILE_VALIDATE)
    add_test(NAME desktop_entry_valid
             COMMAND ${ORVEX_DESKTOP_FILE_VALIDATE} ${ORVEX_RESOURCES_DIR}/orvex.desktop)
    set_tests_properties(desktop_entry_valid PROPERTIES LABELS resources)
  endif()
  if(ORVEX_APPSTREAMCLI)
    add_test(NAME appstream_metainfo_valid
             COMMAND ${ORVEX_APPSTREAMCLI} validate --no-net
                     ${ORVEX_RESOURCES_DIR}/${ORVEX_APPSTREAM_ID}.metainfo.xml)
    set_tests_properties(appstream_metainfo_valid PROPERTIES LABELS resources)
  endif()
  if(ORVEX_MANDOC)
    add_test(NAME man_pages_lint
             COMMAND ${ORVEX_MANDOC} -T lint -W style ${ORVEX_DOCS_DIR}/man/orvex.1
                     ${ORVEX_DOCS_DIR}/man/orvex-dump.1)
    set_tests_properties(man_pages_lint PROPERTIES LABELS resources)
  endif()
endif()

include(${CMAKE_CURRENT_LIST_DIR}/Package.cmake)
