# Installation: the program, its RTF converter, a desktop entry and an icon,
# where a Linux desktop looks for them.
include(GNUInstallDirs)
install(TARGETS mirka RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET mirka-rtf)
  install(TARGETS mirka-rtf RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The user guide, which the About window points to.
install(FILES ${CMAKE_SOURCE_DIR}/docs/guide.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/mirka)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/images DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/mirka)
if(UNIX AND NOT APPLE)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/mirka.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_SOURCE_DIR}/src/about/icons/mirka.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
