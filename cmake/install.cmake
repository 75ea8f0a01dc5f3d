# Installs Stirpex like a Linux desktop program: the two programs in bin/, the bundled style,
# sample tree, pictures and help pages in share/stirpex/ (where the programs look for them
# when they are not beside the program file), a desktop entry and the icon.
include(GNUInstallDirs)

# The programs find their bundled files at ../share/stirpex relative to themselves.
set(STIRPEX_INSTALL_DATA_DIR "share/stirpex")

install(TARGETS stirpex-cli RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
if(TARGET stirpex)
  install(TARGETS stirpex RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
endif()

install(DIRECTORY "${CMAKE_SOURCE_DIR}/styles/" DESTINATION "${STIRPEX_INSTALL_DATA_DIR}/styles")
install(DIRECTORY "${CMAKE_SOURCE_DIR}/ged/" DESTINATION "${STIRPEX_INSTALL_DATA_DIR}/ged")
install(DIRECTORY "${CMAKE_SOURCE_DIR}/help/" DESTINATION "${STIRPEX_INSTALL_DATA_DIR}/help")

set(STIRPEX_DESKTOP_DIR "${CMAKE_SOURCE_DIR}/src/shell/resources")
install(FILES "${STIRPEX_DESKTOP_DIR}/stirpex.desktop" DESTINATION "share/applications")
install(FILES "${STIRPEX_DESKTOP_DIR}/stirpex.svg"
        DESTINATION "share/icons/hicolor/scalable/apps")
install(FILES "${STIRPEX_DESKTOP_DIR}/stirpex-256.png"
        DESTINATION "share/icons/hicolor/256x256/apps" RENAME "stirpex.png")
install(FILES "${STIRPEX_DESKTOP_DIR}/stirpex-64.png"
        DESTINATION "share/icons/hicolor/64x64/apps" RENAME "stirpex.png")
