# Installation: the program, its RTF converter, a desktop entry and an icon,
# where a Linux desktop looks for them.
include(GNUInstallDirs)
install(TARGETS mirka RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET mirka-rtf)
  install(TARGETS mirka-rtf RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(UNIX AND NOT APPLE)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/mirka.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_SOURCE_DIR}/src/about/icons/mirka.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
