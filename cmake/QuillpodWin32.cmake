# The Windows launchers, cross-built as sub-builds with mingw-w64:
#   build/win32/  32-bit (cmake/toolchain-mingw32.cmake): quillpod.exe, the
#                 launcher packaged Windows executables are made from, and
#                 quillpod-console.exe, its console-subsystem twin;
#   build/win64/  the same two for 64-bit Windows (cmake/toolchain-mingw64.cmake),
#                 which also run where 32-bit programs cannot (a 64-bit-only
#                 wine).
# Packaged Windows executables are made from them with quillpod_package(...
# LAUNCHER ${QUILLPOD_WIN32_LAUNCHER} DEPENDS quillpod_win32).
include(ExternalProject)

option(QUILLPOD_WIN32 "Cross-build the Windows executables (needs mingw-w64)" ON)

# quillpod_windows_launchers(<target> <folder> <toolchain file> <compiler names...>)
function(quillpod_windows_launchers target dir toolchain)
  find_program(QUILLPOD_MINGW_CXX_${target} NAMES ${ARGN})
  if(NOT QUILLPOD_MINGW_CXX_${target})
    message(FATAL_ERROR "The Windows build needs Debian's ${ARGV3} compiler (scripts/setup.sh installs "
                        "g++-mingw-w64-i686-win32 and g++-mingw-w64-x86-64-win32), or configure with "
                        "-DQUILLPOD_WIN32=OFF")
  endif()
  set(byproducts ${dir}/quillpod.exe ${dir}/quillpod-console.exe)
  set(standins "")
  if(QUILLPOD_TESTS)
    # The tests under wine want stand-in VM programs from the same compiler.
    set(standins ${CMAKE_SOURCE_DIR}/tests/wine/standin_vm.cpp)
    list(APPEND byproducts ${dir}/tests/standin_vm.exe ${dir}/tests/exit_code_runner.exe)
  endif()
  ExternalProject_Add(${target}
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/launcher/win32
    BINARY_DIR ${CMAKE_BINARY_DIR}/${target}-build
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/${toolchain}
               -DCMAKE_BUILD_TYPE=Release
               -DQUILLPOD_WIN32_OUTPUT=${dir}
               -DQUILLPOD_WIN32_STANDINS=${standins}
    INSTALL_COMMAND ""
    # The sub-build tracks its own sources; ask it every time.
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${byproducts}
    USES_TERMINAL_BUILD OFF)
endfunction()

if(QUILLPOD_WIN32)
  set(QUILLPOD_WIN32_DIR ${CMAKE_BINARY_DIR}/win32 CACHE INTERNAL "")
  set(QUILLPOD_WIN32_LAUNCHER ${QUILLPOD_WIN32_DIR}/quillpod.exe CACHE INTERNAL "")
  set(QUILLPOD_WIN32_CONSOLE_LAUNCHER ${QUILLPOD_WIN32_DIR}/quillpod-console.exe CACHE INTERNAL "")
  quillpod_windows_launchers(quillpod_win32 ${QUILLPOD_WIN32_DIR} toolchain-mingw32.cmake
    i686-w64-mingw32-g++-win32 i686-w64-mingw32-g++)
  # The console launcher comes out of the same sub-build; a name of its own
  # for those who build only it.
  add_custom_target(quillpod_win32_console DEPENDS quillpod_win32)

  set(QUILLPOD_WIN64_DIR ${CMAKE_BINARY_DIR}/win64 CACHE INTERNAL "")
  set(QUILLPOD_WIN64_LAUNCHER ${QUILLPOD_WIN64_DIR}/quillpod.exe CACHE INTERNAL "")
  set(QUILLPOD_WIN64_CONSOLE_LAUNCHER ${QUILLPOD_WIN64_DIR}/quillpod-console.exe CACHE INTERNAL "")
  quillpod_windows_launchers(quillpod_win64 ${QUILLPOD_WIN64_DIR} toolchain-mingw64.cmake
    x86_64-w64-mingw32-g++-win32 x86_64-w64-mingw32-g++)
endif()
