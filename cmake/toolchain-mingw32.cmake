# Cross-compiles for 32-bit Windows with Debian's i686 mingw-w64 compiler
# (packages g++-mingw-w64-i686-win32 and friends):
#   cmake -S launcher/win32 -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUILLPOD_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
