# The windows and services around the main window: skins, help, about box,
# desktop shortcut, and the programs and web pages the program hands off to.
add_library(quollin_periphery STATIC
  Skins.h Skins.cpp
  DesktopEntry.h DesktopEntry.cpp
  ExternalTools.h ExternalTools.cpp
  Tchhform.h Tchhform.cpp
  TAboutBox.h TAboutBox.cpp
  ${CMAKE_SOURCE_DIR}/resources/help.qrc
)
target_include_directories(quollin_periphery PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(quollin_periphery PUBLIC quollin_widgets quollin_core Qt6::Widgets Qt6::Gui)

# The icon and the applications-menu entry for the desktop environment.
install(FILES ${CMAKE_SOURCE_DIR}/resources/quollin.svg
        DESTINATION share/icons/hicolor/scalable/apps)
# The entry names the installed program by its full path, so it is written at
# install time: "cmake --install --prefix" may choose another prefix than the
# one configured. A path with blanks is quoted as desktop entries require.
install(CODE "
  set(QUOLLIN_DESKTOP_EXEC \"\${CMAKE_INSTALL_PREFIX}/bin/quollin\")
  if(QUOLLIN_DESKTOP_EXEC MATCHES \" \")
    set(QUOLLIN_DESKTOP_EXEC \"\\\"\${QUOLLIN_DESKTOP_EXEC}\\\"\")
  endif()
  set(entry \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/quollin.desktop\")
  message(STATUS \"Installing: \${entry}\")
  configure_file(\"${CMAKE_SOURCE_DIR}/resources/quollin.desktop.in\" \"\${entry}\" @ONLY)
")
