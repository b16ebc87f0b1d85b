# The Windows launcher, cross-built as a sub-build with the i686 mingw-w64
# compiler (cmake/toolchain-mingw32.cmake) into build/win32/quillpod.exe.
# Packaged Windows executables are made from it with quillpod_package(...
# LAUNCHER ${QUILLPOD_WIN32_LAUNCHER} DEPENDS quillpod_win32).
include(ExternalProject)

option(QUILLPOD_WIN32 "Cross-build the Windows executables (needs mingw-w64)" ON)

if(QUILLPOD_WIN32)
  find_program(QUILLPOD_MINGW_CXX NAMES i686-w64-mingw32-g++-win32 i686-w64-mingw32-g++)
  if(NOT QUILLPOD_MINGW_CXX)
    message(FATAL_ERROR "The Windows build needs Debian's g++-mingw-w64-i686-win32 "
                        "(scripts/setup.sh installs it), or configure with -DQUILLPOD_WIN32=OFF")
  endif()

  set(QUILLPOD_WIN32_DIR ${CMAKE_BINARY_DIR}/win32 CACHE INTERNAL "")
  set(QUILLPOD_WIN32_LAUNCHER ${QUILLPOD_WIN32_DIR}/quillpod.exe CACHE INTERNAL "")
  set(byproducts ${QUILLPOD_WIN32_LAUNCHER})
  set(standins "")
  if(QUILLPOD_TESTS)
    # The tests under wine want stand-in VM programs from the same compiler.
    set(standins ${CMAKE_SOURCE_DIR}/tests/wine/standin_vm.cpp)
    list(APPEND byproducts ${QUILLPOD_WIN32_DIR}/tests/standin_vm.exe
                           ${QUILLPOD_WIN32_DIR}/tests/exit_code_runner.exe)
  endif()

  ExternalProject_Add(quillpod_win32
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/launcher/win32
    BINARY_DIR ${CMAKE_BINARY_DIR}/win32-build
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/toolchain-mingw32.cmake
               -DCMAKE_BUILD_TYPE=Release
               -DQUILLPOD_WIN32_OUTPUT=${QUILLPOD_WIN32_DIR}
               -DQUILLPOD_WIN32_STANDINS=${standins}
    INSTALL_COMMAND ""
    # The sub-build tracks its own sources; ask it every time.
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${byproducts}
    USES_TERMINAL_BUILD OFF)
endif()
