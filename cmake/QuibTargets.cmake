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

# Layers. A target includes a header only from its own folder and from the
# libraries it links, directly or through their PUBLIC DEPS, always as
# "folder/header.h" from the top of the tree ("common/clock.h",
# "server/engine/engine.h"). The top of the tree is on no include path:
# instead each target gets a tree of its own in the build folder,
#
#   ${CMAKE_BINARY_DIR}/include/<target>/<folder>/<header>.h
#
# a link to each header directly in <folder> (not in its subfolders: the
# window layers below server/core/ and client/, the bot below tools/ are
# libraries of their own). A library gives its tree to whoever links it;
# programs, tests and fuzz targets keep theirs to themselves. Any other
# header fails to compile with "No such file or directory". (A name relative
# to the including file, "../engine/engine.h", would slip past the trees:
# the compiler looks beside that file first. No include climbs out that way.)
#
# Where one folder holds several libraries (common/), a header whose source
# file of the same name belongs to another target of the folder is left out:
# quib_common does not hand out common/drawing.h, so linking quib_common
# alone does not let a file include the drawing of quib_drawing. A header
# with no source file of its own (common/unique_fd.h) comes with every
# target of its folder.
function(quib_folder_headers target scope)
  file(RELATIVE_PATH folder "${PROJECT_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}")
  set(tree "${CMAKE_BINARY_DIR}/include/${target}")
  # Made afresh at every configure run, so that a header removed or moved to
  # another folder leaves no link behind. Remaking the links costs no
  # rebuild: Ninja and ccache look at the files they point to.
  file(REMOVE_RECURSE "${tree}")
  file(MAKE_DIRECTORY "${tree}/${folder}")
  # CONFIGURE_DEPENDS: adding or removing a header or source file reruns
  # CMake before the next build, which remakes the links.
  file(GLOB headers CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  file(GLOB folder_sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  get_target_property(own_sources ${target} SOURCES)
  if(NOT own_sources)
    set(own_sources)
  endif()
  list(TRANSFORM own_sources PREPEND "${CMAKE_CURRENT_SOURCE_DIR}/" REGEX "^[^/]")
  foreach(header IN LISTS headers)
    get_filename_component(name "${header}" NAME)
    get_filename_component(stem "${header}" NAME_WLE)
    set(source "${CMAKE_CURRENT_SOURCE_DIR}/${stem}.cpp")
    if(source IN_LIST folder_sources AND NOT source IN_LIST own_sources)
      continue()
    endif()
    file(CREATE_LINK "${header}" "${tree}/${folder}/${name}" SYMBOLIC)
  endforeach()
  target_include_directories(${target} ${scope} "${tree}")
endfunction()

# Warnings and the target's own folder, for programs, tests and fuzz targets.
function(quib_target_defaults target)
  target_compile_options(${target} PRIVATE ${QUIB_WARNINGS})
  quib_folder_headers(${target} PRIVATE)
endfunction()

# quib_library(name [SOURCES ...] [DEPS ...]): a static library whose public
# headers live in its own folder and are included as "folder/header.h";
# without SOURCES, a library of headers only.
function(quib_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  if(ARG_SOURCES)
    add_library(${name} STATIC ${ARG_SOURCES})
    quib_folder_headers(${name} PUBLIC)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    target_compile_options(${name} PRIVATE ${QUIB_WARNINGS})
  else()
    add_library(${name} INTERFACE)
    quib_folder_headers(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# quib_test(name SOURCES ... DEPS ... [LABELS ...]): a GoogleTest program
# registered with CTest; tests find shared fixtures through QUIB_SHARED_DIR and
# their own fixture files through QUIB_TEST_DATA_DIR. Every test sees the
# shared helpers of tests/support/ and testing/. Every test of the program
# carries the LABELS (`ctest -L`); a program labelled `threads` is part of
# quib_thread_tests.
function(quib_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} quib_test_support GTest::gtest GTest::gtest_main
                        GTest::gmock)
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
