# Cross-compiles for 32-bit Windows with Debian's i686 mingw-w64 compiler
# (packages g++-mingw-w64-i686-win32 and friends):
#   cmake -S launcher/win32 -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(QUILLPOD_MINGW_PREFIX i686-w64-mingw32)
# The win32-threads flavour needs no threading DLL beside the executable.
find_program(CMAKE_C_COMPILER NAMES ${QUILLPOD_MINGW_PREFIX}-gcc-win32 ${QUILLPOD_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${QUILLPOD_MINGW_PREFIX}-g++-win32 ${QUILLPOD_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${QUILLPOD_MINGW_PREFIX}-windres)
find_program(CMAKE_STRIP NAMES ${QUILLPOD_MINGW_PREFIX}-strip)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILLPOD_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
