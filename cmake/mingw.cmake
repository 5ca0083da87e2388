# Cross build for Windows with Debian's MinGW-w64, for the processor that the toolchain file
# including this one names in QUENLOX_MINGW_ARCH. The win32 threading model: the posix one links
# winpthreads, which imports what Windows XP and older do not export.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${QUENLOX_MINGW_ARCH})
set(CMAKE_C_COMPILER ${QUENLOX_MINGW_ARCH}-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER ${QUENLOX_MINGW_ARCH}-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER ${QUENLOX_MINGW_ARCH}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QUENLOX_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
