# What `cmake --install` puts in place: the two programs and, with the viewer, its desktop entry
# (registered for the MP4 and 3GP media types) and its icon.
include(GNUInstallDirs)
set(ORVEX_RESOURCES_DIR ${CMAKE_CURRENT_LIST_DIR}/../resources)

install(TARGETS orvex-dump RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(TARGET orvex)
  install(TARGETS orvex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${ORVEX_RESOURCES_DIR}/orvex.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${ORVEX_RESOURCES_DIR}/icons/orvex.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
endif()

# The desktop entry must pass the freedesktop.org validator, or desktops may ignore it.
find_program(ORVEX_DESKTOP_FILE_VALIDATE desktop-file-validate)
if(ORVEX_BUILD_TESTS AND ORVEX_DESKTOP_FILE_VALIDATE)
  add_test(NAME desktop_entry_valid
           COMMAND ${ORVEX_DESKTOP_FILE_VALIDATE} ${ORVEX_RESOURCES_DIR}/orvex.desktop)
  set_tests_properties(desktop_entry_valid PROPERTIES LABELS resources)
endif()
