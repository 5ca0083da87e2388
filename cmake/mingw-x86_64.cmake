# The same sources for 64-bit Windows: what Wine runs where the machine runs no 32-bit code.
set(QUENLOX_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
