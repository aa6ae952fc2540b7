# The browser build, configured with emcmake cmake: the game on Emscripten's
# SDL 1.2 and OpenGL emulation, with the little they lack filled in by
# src/web/, which only this build compiles. Everything but the platform edge
# is the same library as on the desktop.
set(web ${PROJECT_SOURCE_DIR}/src/web)
# Where the page goes: a folder any static web server can serve as it is.
set(RALLYO_WEB_DIR ${CMAKE_BINARY_DIR}/page CACHE PATH "Folder for the page, the program and its pictures")

add_compile_options(-sUSE_SDL=1 "SHELL:-include ${web}/sdl12.h")

file(GLOB core_sources CONFIGURE_DEPENDS src/gfx/*.cpp src/game/*.cpp src/shell/*.cpp src/sound/*.cpp src/online/*.cpp)
# The page mixes and mutes the sounds itself, through Web Audio (src/web/sound.cpp).
file(GLOB desktop_sound CONFIGURE_DEPENDS src/sound/device_*.cpp src/sound/mixer.cpp src/sound/quiet_*.cpp)
list(REMOVE_ITEM core_sources ${PROJECT_SOURCE_DIR}/src/shell/rallyo.cpp
     ${PROJECT_SOURCE_DIR}/src/shell/question_gtk.cpp ${PROJECT_SOURCE_DIR}/src/shell/question_win.cpp
     ${desktop_sound})
# Of the pads, the mapping: the page reads its own (src/web/controls.cpp).
add_library(rallyo_core STATIC ${core_sources} ${PROJECT_SOURCE_DIR}/src/pads/mapping.cpp ${web}/gl.cpp
            ${web}/pictures.cpp ${web}/question.cpp ${web}/sound.cpp)
target_include_directories(rallyo_core PUBLIC src)
# The GL calls the layer completes, and the picture edge it takes over.
set(web_wrapped glClear glBegin glEnd glVertex3f glVertex2i glColor3f glColor4f glTexCoord2f glTranslated glTexImage2D glShadeModel
    SDL_FreeSurface SDL_GetError)
target_link_options(rallyo_core INTERFACE -sUSE_SDL=1 -sALLOW_MEMORY_GROWTH=1)
foreach(fn ${web_wrapped})
  target_link_options(rallyo_core INTERFACE "-Wl,--wrap=${fn}")
endforeach()

# The game: the screens' loops yield to the page at each buffer swap
# (src/web/pace.cpp), which needs the whole program able to unwind and resume;
# its keys take in the page's fingers and gamepads (src/web/keys.cpp).
add_executable(rallyo src/shell/rallyo.cpp ${web}/main.cpp ${web}/pace.cpp ${web}/console.cpp
               ${web}/keys.cpp ${web}/controls.cpp)
set_property(SOURCE src/shell/rallyo.cpp APPEND PROPERTY COMPILE_DEFINITIONS main=gameMain)
target_link_libraries(rallyo PRIVATE rallyo_core)
target_link_options(rallyo PRIVATE -sLEGACY_GL_EMULATION=1 -sASYNCIFY=1 -sASYNCIFY_STACK_SIZE=65536
    -sEXIT_RUNTIME=1)
foreach(fn SDL_GL_SwapBuffers SDL_GetTicks fflush SDL_GetKeyState _Z4gra1v _Z4gra2v)
  target_link_options(rallyo PRIVATE "-Wl,--wrap=${fn}")
endforeach()
# The pictures one by one in sorted order: given the folder, the file packager
# lays them out in the order the disk lists them, which differs between disks.
file(GLOB pictures RELATIVE ${PROJECT_SOURCE_DIR} CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/gfx/*.bmp)
foreach(picture ${pictures})
  target_link_options(rallyo PRIVATE "SHELL:--preload-file ${PROJECT_SOURCE_DIR}/${picture}@${picture}")
  set_property(TARGET rallyo APPEND PROPERTY LINK_DEPENDS ${PROJECT_SOURCE_DIR}/${picture})
endforeach()
# Linked here, under a name relative to this folder, then copied to the page
# (cmake/WebPage.cmake): the file packager writes the name of rallyo.data it
# was given into rallyo.js, and an absolute one would show every player the
# builder's folders.
set_target_properties(rallyo PROPERTIES SUFFIX .js)
set(page_program ${RALLYO_WEB_DIR}/rallyo.js ${RALLYO_WEB_DIR}/rallyo.wasm ${RALLYO_WEB_DIR}/rallyo.data)
add_custom_command(OUTPUT ${page_program}
  COMMAND ${CMAKE_COMMAND} -DPAGE=${RALLYO_WEB_DIR} -P ${PROJECT_SOURCE_DIR}/cmake/WebPage.cmake
  DEPENDS rallyo ${PROJECT_SOURCE_DIR}/cmake/WebPage.cmake WORKING_DIRECTORY ${CMAKE_BINARY_DIR} VERBATIM)

# The page around it: its own files as they are, the icons, and the service
# worker written last, once everything it keeps is there.
foreach(name index.html page.js controls.js manifest.webmanifest)
  configure_file(${web}/${name} ${RALLYO_WEB_DIR}/${name} COPYONLY)
endforeach()
foreach(size 192 512)
  configure_file(data/rallyo-${size}.png ${RALLYO_WEB_DIR}/icon-${size}.png COPYONLY)
endforeach()
add_custom_target(rallyo_page ALL
  COMMAND ${CMAKE_COMMAND} -DPAGE=${RALLYO_WEB_DIR} -DTEMPLATE=${web}/sw.js -P ${PROJECT_SOURCE_DIR}/cmake/WebCache.cmake
  DEPENDS ${page_program} ${web}/sw.js
  COMMENT "The service worker of the page")

option(RALLYO_TESTS "Build the tests" ON)
if(RALLYO_TESTS)
  enable_testing()
  add_subdirectory(tests/web)
endif()
