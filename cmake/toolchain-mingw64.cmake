# Cross-compiles for 64-bit Windows with Debian's x86_64 mingw-w64 compiler
# (package g++-mingw-w64-x86-64-win32): the launcher for systems, and wine
# prefixes, that run 64-bit programs only.
#   cmake -S launcher/win32 -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(QUILLPOD_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
