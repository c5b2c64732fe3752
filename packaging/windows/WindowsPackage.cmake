# cantrel-windows.zip (MinGW cross build with the Qt layer): the program, its settings folder with the lyric
# fonts, the search agent with its site list, the Windows Media Player plugin and a short README.
#   cmake --build build-mingw --target package     (or cpack in the build folder)
install(TARGETS cantrel RUNTIME DESTINATION .)
get_property(font_files GLOBAL PROPERTY CANTREL_FONT_FILES)
install(FILES ${font_files} DESTINATION Cantrel)
if(TARGET CantrelAgent)
  install(TARGETS CantrelAgent RUNTIME DESTINATION Cantrel)
  get_property(agent_files GLOBAL PROPERTY CANTREL_AGENT_FILES)
  install(FILES ${agent_files} DESTINATION Cantrel)
endif()
if(TARGET tl_plugin)
  install(TARGETS tl_plugin RUNTIME DESTINATION .)
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/README.txt.in ${CMAKE_BINARY_DIR}/packaging/README.txt @ONLY
  NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/packaging/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Cantrel)
set(CPACK_PACKAGE_FILE_NAME cantrel-windows)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)

# The archive holds what a user needs; checked by listing it (the test runs after the package step).
add_test(NAME windows_package_contents
  COMMAND ${CMAKE_COMMAND} -DARCHIVE=${CMAKE_BINARY_DIR}/cantrel-windows.zip
          -P ${CMAKE_CURRENT_LIST_DIR}/CheckPackage.cmake)
set_tests_properties(windows_package_contents PROPERTIES LABELS wine)
