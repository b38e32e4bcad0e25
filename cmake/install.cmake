# `cmake --install`: the player and the tool into bin/, the default font into
# share/tavino/ (where `tavino-tool new` finds it, relative to its own
# program), the documentation and the man pages.
include(GNUInstallDirs)

install(TARGETS tavino RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET tavino-tool)
  install(TARGETS tavino-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET tavino_font)
  install(FILES "${TAVINO_FONT_FILE}" DESTINATION ${CMAKE_INSTALL_DATADIR}/tavino)
endif()

# The README links into docs/, so the folder keeps its place beside it.
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs PATTERN man EXCLUDE)
install(DIRECTORY demo/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/demo)
install(FILES docs/man/tavino.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES docs/man/tavino-tool.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
