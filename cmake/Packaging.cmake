# Installing and packaging. The game opens gfx/... relative to its working
# directory, so on Linux the real program lives out of the PATH and a small
# launcher on the PATH changes to the data folder first. Every path below is
# relative to the install prefix, and the launcher finds the prefix from its
# own location, so any --prefix works and the tree can be moved afterwards.

if(WIN32)
  # The executable's icon; the game is run from a folder that holds gfx/.
  enable_language(RC)
  target_sources(rallyo PRIVATE data/rallyo.rc)
  set_source_files_properties(data/rallyo.rc PROPERTIES
    INCLUDE_DIRECTORIES ${PROJECT_SOURCE_DIR}/data)
  include(cmake/Windows.cmake)
  return()
endif()

# Debian keeps games in /usr/games (tools/package.sh asks for games); bin
# is on everyone's PATH for any other prefix.
set(RALLYO_BINDIR bin CACHE STRING "Where the launcher goes, relative to the prefix")
set(RALLYO_LIBEXECDIR lib/rallyo)
set(RALLYO_DATADIR share/rallyo)
set(RALLYO_DOCDIR share/doc/rallyo)
file(RELATIVE_PATH RALLYO_BIN_TO_PREFIX /prefix/${RALLYO_BINDIR} /prefix)

configure_file(data/rallyo.in ${PROJECT_BINARY_DIR}/launcher/rallyo @ONLY)

# Debian ships manual pages and changelogs compressed, without timestamps.
foreach(page rallyo.6 changelog)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${page}.gz
    COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/data/${page} > ${PROJECT_BINARY_DIR}/${page}.gz
    DEPENDS data/${page}
    VERBATIM)
endforeach()
add_custom_target(rallyo_docs ALL DEPENDS ${PROJECT_BINARY_DIR}/rallyo.6.gz ${PROJECT_BINARY_DIR}/changelog.gz)

install(TARGETS rallyo RUNTIME DESTINATION ${RALLYO_LIBEXECDIR})
install(PROGRAMS ${PROJECT_BINARY_DIR}/launcher/rallyo DESTINATION ${RALLYO_BINDIR})
install(FILES
  gfx/Font.bmp gfx/background.bmp gfx/p1.bmp gfx/p2.bmp
  gfx/pileczka.bmp gfx/qor.bmp gfx/start.bmp
  DESTINATION ${RALLYO_DATADIR}/gfx)
install(FILES data/rallyo.desktop DESTINATION share/applications)
install(FILES data/rallyo.png DESTINATION share/icons/hicolor/32x32/apps)
install(FILES data/org.example.rallyo.metainfo.xml DESTINATION share/metainfo)
install(FILES ${PROJECT_BINARY_DIR}/rallyo.6.gz DESTINATION share/man/man6)
install(FILES data/copyright ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${RALLYO_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rallyo)
set(CPACK_PACKAGE_VENDOR "Rallyo developers")
set(CPACK_PACKAGE_CONTACT "Rallyo developers <rallyo@example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://rallyo.example.org/)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "two-paddle ball game against the computer or a friend")
set(CPACK_PACKAGE_DESCRIPTION [[
Rallyo is a small ball game on a court seen in perspective. Each side
guards its edge with a paddle; the ball bounces off the walls, speeds up
every few seconds and after a smash, and scores when it gets past a paddle.
Play against the computer or two people at one keyboard, to a points
target from 5 to 100.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Written out rather than left to dpkg-shlibdeps: for libSDL-1.2.so.0 it
# names libsdl1.2debian, which on a clean Debian 12 brings the old SDL 1.2
# instead of sdl12-compat (whose shim only provides that name). The rest is
# what dpkg-shlibdeps finds; tests/package/installed.sh fails when the two
# part ways.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsdl1.2-compat-shim (>= 1.2.60) | libsdl1.2debian (>= 1.2.15), \
libgl1, libglu1-mesa | libglu1, libgtk-3-0 (>= 3.0.0), libglib2.0-0 (>= 2.12.0), libc6 (>= 2.34)")
include(CPack)

if(RALLYO_TESTS)
  add_test(NAME package.prefix COMMAND bash tests/package/prefix.sh ${PROJECT_BINARY_DIR}
           WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  set_property(TEST package.prefix PROPERTY RUN_SERIAL TRUE)  # it plays the game too
endif()
