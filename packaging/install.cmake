# `cmake --install` lays out a desktop program under the prefix: the program
# in bin/, the data files in share/calvane/ (copied into each user's own
# folder at first start), the menu entry, its icon and the file types.
include(GNUInstallDirs)

if(TARGET calvane)
  install(TARGETS calvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(DIRECTORY "${CMAKE_SOURCE_DIR}/data/" DESTINATION ${CMAKE_INSTALL_DATADIR}/calvane
        PATTERN "README.md" EXCLUDE)
install(DIRECTORY "${CMAKE_SOURCE_DIR}/examples/" DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
install(FILES "${CMAKE_CURRENT_LIST_DIR}/calvane.desktop" DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES "${CMAKE_CURRENT_LIST_DIR}/calvane.svg"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES "${CMAKE_CURRENT_LIST_DIR}/calvane-mime.xml" DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME calvane.xml)
