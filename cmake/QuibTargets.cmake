# Compiler settings every quib target shares: warnings, optional -Werror and
# the sanitizer builds. Targets opt in through quib_target_defaults().

set(QUIB_WARNINGS -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wold-style-cast
    -Woverloaded-virtual -Wimplicit-fallthrough)
if(QUIB_WERROR)
  list(APPEND QUIB_WARNINGS -Werror)
endif()

if(QUIB_SANITIZE)
  set(QUIB_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all
      -fno-omit-frame-pointer)
  add_compile_options(${QUIB_SANITIZER_FLAGS})
  add_link_options(${QUIB_SANITIZER_FLAGS})
endif()

if(QUIB_TSAN)
  # ThreadSanitizer cannot share a process with AddressSanitizer, so it is a
  # build of its own.
  if(QUIB_SANITIZE OR QUIB_FUZZ)
    message(FATAL_ERROR "QUIB_TSAN cannot be combined with QUIB_SANITIZE or QUIB_FUZZ")
  endif()
  set(QUIB_TSAN_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
  add_compile_options(${QUIB_TSAN_FLAGS})
  add_link_options(${QUIB_TSAN_FLAGS})
endif()

if(QUIB_FUZZ)
  # Every library in the fuzz build carries coverage instrumentation; the
  # fuzz targets add the libFuzzer driver at link time.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

function(quib_target_defaults target)
  target_compile_options(${target} PRIVATE ${QUIB_WARNINGS})
endfunction()

# quib_library(name SOURCES ... [DEPS ...]): a static library whose public
# headers live in its own folder and are included as "folder/header.h".
function(quib_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  quib_target_defaults(${name})
endfunction()

# quib_test(name SOURCES ... DEPS ... [LABELS ...]): a GoogleTest program
# registered with CTest; tests find shared fixtures through QUIB_SHARED_DIR and
# their own fixture files through QUIB_TEST_DATA_DIR. Every test of the program
# carries the LABELS (`ctest -L`); a program labelled `threads` is part of
# quib_thread_tests.
function(quib_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    QUIB_SHARED_DIR="${QUIB_SHARED_DIR}"
    QUIB_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data")
  quib_target_defaults(${name})
  set(properties ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  if(ARG_LABELS)
    list(APPEND properties LABELS "${ARG_LABELS}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
  if("threads" IN_LIST ARG_LABELS)
    add_dependencies(quib_thread_tests ${name})
  endif()
endfunction()
