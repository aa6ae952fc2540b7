# Cross-building for 32-bit Windows with Debian's MinGW-w64, against the SDL
# that tools/windows.sh builds into build/win32/sdl (or RALLYO_WIN32_SDL).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
# The posix thread model: GoogleTest needs std::mutex, which the win32 model
# lacks. The game itself uses no threads and imports no winpthreads DLL.
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

if(NOT RALLYO_WIN32_SDL)
  get_filename_component(RALLYO_WIN32_SDL ${CMAKE_CURRENT_LIST_DIR}/../build/win32/sdl ABSOLUTE)
endif()
set(RALLYO_WIN32_SDL ${RALLYO_WIN32_SDL} CACHE PATH "Prefix of SDL 1.2 built for i686-w64-mingw32")

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32 ${RALLYO_WIN32_SDL})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Only our SDL's .pc file may be seen: never a Linux one.
set(ENV{PKG_CONFIG_LIBDIR} ${RALLYO_WIN32_SDL}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
