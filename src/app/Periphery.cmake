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
