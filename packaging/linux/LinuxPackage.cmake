# The Linux install layout and its Debian package (included from the top CMakeLists.txt once every program
# target exists).
#
#   cmake --install build --prefix /usr/local      (or DESTDIR=... cmake --install build)
#   cmake --build build --target package           build/cantrel_<version>_<arch>.deb
#
# The program finds its files beside itself (its folder, then "Cantrel/" in it), so it lives in a folder of
# its own, lib/cantrel/, with the lyric fonts, the site list and the search agent in lib/cantrel/Cantrel/;
# bin/cantrel is a link to it (the program resolves the link to find its folder). An installed program's folder
# is not writable by the user: the settings then go to $XDG_DATA_HOME/Cantrel (~/.local/share/Cantrel).
include(GNUInstallDirs)

set(CANTREL_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/cantrel)
set(CANTREL_APP_ID org.example.Cantrel)

install(TARGETS cantrel RUNTIME DESTINATION ${CANTREL_INSTALL_DIR})
get_property(font_files GLOBAL PROPERTY CANTREL_FONT_FILES)
install(FILES ${font_files} DESTINATION ${CANTREL_INSTALL_DIR}/Cantrel)
if(TARGET CantrelAgent)
  # The search agent beside the settings, with its site list ("Filters.ini").
  install(TARGETS CantrelAgent RUNTIME DESTINATION ${CANTREL_INSTALL_DIR}/Cantrel)
  get_property(agent_files GLOBAL PROPERTY CANTREL_AGENT_FILES)
  install(FILES ${agent_files} DESTINATION ${CANTREL_INSTALL_DIR}/Cantrel)
endif()

# bin/cantrel -> ../lib/.../cantrel/cantrel, relative so the tree can move (a package unpacked anywhere).
file(RELATIVE_PATH link_target ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}
  ${CMAKE_INSTALL_PREFIX}/${CANTREL_INSTALL_DIR}/cantrel)
set(link_file ${CMAKE_BINARY_DIR}/packaging/cantrel-link/cantrel)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging/cantrel-link)
file(CREATE_LINK ${link_target} ${link_file} SYMBOLIC)
install(FILES ${link_file} DESTINATION ${CMAKE_INSTALL_BINDIR})

# Desktop integration: the menu entry, the icon at every size, the AppStream description.
set(pkg ${PROJECT_SOURCE_DIR}/packaging)
install(FILES ${pkg}/linux/${CANTREL_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${pkg}/linux/${CANTREL_APP_ID}.metainfo.xml.in
  ${CMAKE_BINARY_DIR}/packaging/${CANTREL_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${CANTREL_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${pkg}/icons/cantrel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${pkg}/icons/cantrel-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME cantrel.png)
endforeach()
install(FILES ${pkg}/linux/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/cantrel)

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME cantrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Cantrel developers")
set(CPACK_PACKAGE_CONTACT "The Cantrel developers <cantrel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Shows the lyrics of the playing song in step with the music")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Shows the lyrics of the playing song in step with the music
Cantrel is a companion for music players: it shows the lyrics of the song that is playing in a
borderless window, timed (LRC) lyrics scrolled and lit line by line. It follows the players that
speak MPRIS (mpv, VLC, Rhythmbox, Audacious, Spotify ...).")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# OpenGL through Mesa where there is no other driver; fonts for the scripts of the lyrics.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri, fonts-dejavu-core, fonts-wqy-microhei")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "mpv-mpris")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)

# The install test: the package built, unpacked into a temporary root and its program run there (e2e).
if(NOT CMAKE_CROSSCOMPILING)
  add_test(NAME linux_package_install
    COMMAND ${CMAKE_COMMAND} -E env CANTREL_SOURCE_DIR=${PROJECT_SOURCE_DIR}
            bash ${CMAKE_CURRENT_LIST_DIR}/check-install.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(linux_package_install PROPERTIES LABELS e2e TIMEOUT 600 RUN_SERIAL ON)
endif()
