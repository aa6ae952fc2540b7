# What the Windows zip holds: everything a player unpacks and double-clicks,
# flat in one folder, with the texts in Windows line endings.
file(STRINGS ${RALLYO_WIN32_SDL}/debian-version RALLYO_WIN32_SDL_DEBIAN LIMIT_COUNT 1)

# Copies a text file with CRLF line ends, filling in @VARIABLES@ when asked.
function(crlf_text from to)
  file(READ ${from} text)
  if(ARGV2)
    string(CONFIGURE "${text}" text @ONLY)
  endif()
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${to} "${text}")
endfunction()

set(SDL_DEBIAN_VERSION ${RALLYO_WIN32_SDL_DEBIAN})
set(texts ${PROJECT_BINARY_DIR}/zip-texts)
crlf_text(${PROJECT_SOURCE_DIR}/data/readme-windows.txt ${texts}/readme.txt CONFIGURE)
crlf_text(${PROJECT_SOURCE_DIR}/LICENSE ${texts}/LICENSE.txt)
crlf_text(${RALLYO_WIN32_SDL}/COPYING ${texts}/SDL-COPYING.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/data/readme-windows.txt ${PROJECT_SOURCE_DIR}/LICENSE
  ${RALLYO_WIN32_SDL}/COPYING ${RALLYO_WIN32_SDL}/debian-version)

install(TARGETS rallyo RUNTIME DESTINATION .)
install(FILES ${RALLYO_WIN32_SDL}/bin/SDL.dll DESTINATION .)
install(FILES
  gfx/Font.bmp gfx/background.bmp gfx/p1.bmp gfx/p2.bmp
  gfx/pileczka.bmp gfx/qor.bmp gfx/start.bmp
  DESTINATION gfx)
install(FILES ${texts}/readme.txt ${texts}/LICENSE.txt ${texts}/SDL-COPYING.txt DESTINATION .)
# tools/windows.sh installs this, stripped, and zips it with tools/zip-folder.sh.
