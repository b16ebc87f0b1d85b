# quillpod_package(OUTPUT <path> [TARGET <name>] [LAUNCHER <file>]
#                  [CONFIG <key=value>...] [CONFIG_FILE <file>]
#                  [DIRS <dir>...] [FOLDERS <dir>...]
#                  [DEPENDS <target or file>...] [RUNTIME <dir>|jlink])
#
# Builds the executable OUTPUT from the launcher (build/quillpod, packed
# without its debug symbols), the boot
# class (build/quillpodboot.class), the configuration pairs and the files of
# DIRS, merged at the archive's root, and of FOLDERS, each carried as a
# folder of its own name (e.g. ${CMAKE_SOURCE_DIR}/XmasGifs gives
# XmasGifs\frame.gif); a name found twice is an error. TARGET names the custom target that
# makes it (default: package_<file name of OUTPUT>), built with ALL.
# LAUNCHER packs another launcher instead (build/win32/quillpod.exe for
# Windows; name the target that makes it in DEPENDS).
# RUNTIME carries a Java runtime: a runtime folder, or jlink for one made
# with the modules the application needs (slow: a minute or two).
# DEPENDS lists targets and files that must be built first. A target made by
# quillpod_javac in the calling directory also reruns the packer whenever it
# recompiles (its <target>_STAMP is seen here); for one from another
# directory, pass its stamp file too (e.g. ${QUILLPOD_UTIL_STAMP}). Files of
# DIRS inside the source tree are tracked by themselves.
function(quillpod_package)
  cmake_parse_arguments(P "" "OUTPUT;TARGET;CONFIG_FILE;LAUNCHER;RUNTIME" "CONFIG;DIRS;FOLDERS;DEPENDS" ${ARGN})
  if(NOT P_OUTPUT OR NOT (P_DIRS OR P_FOLDERS))
    message(FATAL_ERROR "quillpod_package: OUTPUT and DIRS or FOLDERS are required")
  endif()
  if(P_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "quillpod_package: unknown arguments ${P_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT P_TARGET)
    get_filename_component(name ${P_OUTPUT} NAME)
    string(MAKE_C_IDENTIFIER "package_${name}" P_TARGET)
  endif()

  set(launcher ${QUILLPOD_PACK_LAUNCHER})
  if(P_LAUNCHER)
    set(launcher ${P_LAUNCHER})
  endif()
  set(boot ${CMAKE_BINARY_DIR}/quillpodboot.class)
  set(args --launcher ${launcher} --boot ${boot} -o ${P_OUTPUT})
  foreach(pair IN LISTS P_CONFIG)
    list(APPEND args -c ${pair})
  endforeach()
  set(file_deps ${boot} ${launcher})
  if(P_CONFIG_FILE)
    list(APPEND args --config-file ${P_CONFIG_FILE})
    list(APPEND file_deps ${P_CONFIG_FILE})
  endif()
  if(P_RUNTIME)
    list(APPEND args --runtime ${P_RUNTIME})
  endif()
  list(APPEND args ${P_DIRS})
  foreach(dir IN LISTS P_FOLDERS)
    list(APPEND args --folder ${dir})
  endforeach()
  foreach(dir IN LISTS P_DIRS P_FOLDERS)
    cmake_path(IS_PREFIX CMAKE_SOURCE_DIR ${dir} NORMALIZE in_source)
    if(in_source AND EXISTS ${dir})
      file(GLOB_RECURSE files CONFIGURE_DEPENDS ${dir}/*)
      list(APPEND file_deps ${files})
    endif()
  endforeach()

  set(target_deps quillpod-pack quillpodboot)
  if(TARGET quillpod_pack_launcher AND NOT P_LAUNCHER)
    list(APPEND target_deps quillpod_pack_launcher)
  endif()
  foreach(dep IN LISTS P_DEPENDS)
    if(TARGET ${dep})
      list(APPEND target_deps ${dep})
      if(DEFINED ${dep}_STAMP)
        list(APPEND file_deps ${${dep}_STAMP})
      endif()
    else()
      list(APPEND file_deps ${dep})
    endif()
  endforeach()

  add_custom_command(OUTPUT ${P_OUTPUT}
    COMMAND $<TARGET_FILE:quillpod-pack> ${args}
    DEPENDS quillpod-pack ${file_deps}
    COMMENT "quillpod-pack ${P_OUTPUT}"
    VERBATIM)
  add_custom_target(${P_TARGET} ALL DEPENDS ${P_OUTPUT})
  add_dependencies(${P_TARGET} ${target_deps})
endfunction()
