# Shared build helpers: warnings, sanitizer twins of the C++ tests, Java
# compilation for old VMs, and JUnit 5 tests run by CTest.

find_package(Threads REQUIRED)
find_package(ZLIB REQUIRED)
find_package(Java 11 REQUIRED COMPONENTS Runtime Development)

set(QUILLPOD_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
set(QUILLPOD_SANITIZE_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)

# Debian's junit5 package: the console launcher runs every test class it finds.
set(QUILLPOD_JUNIT_DIR /usr/share/java CACHE PATH "Folder holding the JUnit 5 jars")
set(QUILLPOD_JUNIT_CONSOLE ${QUILLPOD_JUNIT_DIR}/junit-platform-console-standalone.jar)
set(QUILLPOD_JUNIT_API ${QUILLPOD_JUNIT_CONSOLE})

# quillpod_warnings(target): the project's warning set on a C++ target.
function(quillpod_warnings target)
  target_compile_options(${target} PRIVATE ${QUILLPOD_WARNINGS})
endfunction()

# quillpod_gtest(NAME n SOURCES ... [LIBS ...] [INCLUDES ...] [LABELS ...] [ENV ...])
# Builds the GoogleTest program twice, plain and under AddressSanitizer with
# UBSan, compiling the code under test into each (SOURCES lists both), and
# registers both with CTest.
function(quillpod_gtest)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;INCLUDES;LABELS;ENV" ${ARGN})
  find_package(GTest REQUIRED)
  foreach(variant plain asan)
    if(variant STREQUAL "plain")
      set(exe ${T_NAME})
    else()
      set(exe ${T_NAME}_asan)
    endif()
    add_executable(${exe} ${T_SOURCES})
    # testing/ holds the helpers every folder's tests share.
    target_include_directories(${exe} PRIVATE ${T_INCLUDES} ${CMAKE_SOURCE_DIR}/testing)
    target_link_libraries(${exe} PRIVATE GTest::gtest GTest::gtest_main Threads::Threads ${T_LIBS})
    quillpod_warnings(${exe})
    if(variant STREQUAL "asan")
      target_compile_options(${exe} PRIVATE ${QUILLPOD_SANITIZE_FLAGS})
      target_link_options(${exe} PRIVATE ${QUILLPOD_SANITIZE_FLAGS})
    endif()
    add_test(NAME ${exe} COMMAND ${exe})
    set_tests_properties(${exe} PROPERTIES LABELS "cpp;${variant};${T_LABELS}"
      ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0;UBSAN_OPTIONS=print_stacktrace=1;${T_ENV}")
  endforeach()
endfunction()

# quillpod_javac(TARGET t OUTDIR dir SOURCES ... [CLASSPATH ...] [DEPENDS ...] [RELEASE n])
# Compiles Java sources into OUTDIR (emptied first, so no stale class
# survives) for the given release (8 unless told), as the custom target t.
# Sets t_STAMP in the caller, for DEPENDS of a later compilation.
function(quillpod_javac)
  cmake_parse_arguments(J "" "TARGET;OUTDIR;RELEASE" "SOURCES;CLASSPATH;DEPENDS" ${ARGN})
  if(NOT J_RELEASE)
    set(J_RELEASE 8)
  endif()
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${J_TARGET}.stamp)
  set(cp_args)
  if(J_CLASSPATH)
    string(JOIN ":" cp ${J_CLASSPATH})
    set(cp_args -cp ${cp})
  endif()
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${J_OUTDIR}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${J_OUTDIR}
    COMMAND ${Java_JAVAC_EXECUTABLE} --release ${J_RELEASE} -encoding UTF-8 -Xlint:all -Xlint:-options
            -d ${J_OUTDIR} ${cp_args} ${J_SOURCES}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${J_SOURCES} ${J_DEPENDS}
    COMMENT "javac ${J_TARGET}"
    VERBATIM)
  add_custom_target(${J_TARGET} ALL DEPENDS ${stamp})
  set(${J_TARGET}_STAMP ${stamp} PARENT_SCOPE)
endfunction()

# quillpod_junit(NAME n CLASSES dir CLASSPATH ... [LABELS ...] [ENV ...] [TIMEOUT s])
# Runs every JUnit 5 test class under CLASSES with the console launcher.
function(quillpod_junit)
  cmake_parse_arguments(T "" "NAME;CLASSES;TIMEOUT" "CLASSPATH;LABELS;ENV" ${ARGN})
  string(JOIN ":" cp ${T_CLASSES} ${T_CLASSPATH})
  add_test(NAME ${T_NAME}
    COMMAND ${Java_JAVA_EXECUTABLE} -Djava.awt.headless=false -jar ${QUILLPOD_JUNIT_CONSOLE}
            --disable-banner --details=tree --fail-if-no-tests
            --class-path ${cp} --scan-class-path ${T_CLASSES})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES LABELS "java;${T_LABELS}" TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "${T_ENV}")
endfunction()

# quillpod_add_subfolders(): adds every subfolder of the current folder that
# has a CMakeLists.txt, in name order; each is one self-contained piece. A
# macro, so the pieces see the caller's scope as add_subdirectory alone would.
macro(quillpod_add_subfolders)
  file(GLOB _quillpod_children CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt)
  list(SORT _quillpod_children)
  foreach(_quillpod_child ${_quillpod_children})
    get_filename_component(_quillpod_dir ${_quillpod_child} DIRECTORY)
    add_subdirectory(${_quillpod_dir})
  endforeach()
endmacro()
