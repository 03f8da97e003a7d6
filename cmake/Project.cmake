# Helpers shared by the project's CMakeLists files.

# Compile options for the project's own code: warnings as errors, and the
# sanitizers in the host-asan build.
add_library(setup_options INTERFACE)
target_compile_features(setup_options INTERFACE cxx_std_20)
target_compile_options(setup_options INTERFACE -Wall -Wextra -Werror)
if(SETUP_SANITIZE)
  target_compile_options(setup_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(setup_options INTERFACE -fsanitize=address,undefined)
endif()
if(SETUP_FUZZ)
  # Libraries instrumented for libFuzzer; the fuzz targets link the fuzzer itself.
  target_compile_options(setup_options INTERFACE
    -fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(setup_options INTERFACE -fsanitize=address,undefined)
endif()
if(WIN32)
  # The Windows headers need these before any include; the host headers ignore them.
  target_compile_definitions(setup_options INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX)
  # The size-optimised builds make no per-file copies of the C++ library's
  # members with their parameters rewritten (GCC's interprocedural scalar
  # replacement): each file would keep its own copy of the same string
  # members, where without them every file calls the one shared copy
  # (docs/performance.md, "Size and imports of the release artifact").
  target_compile_options(setup_options INTERFACE
    $<$<AND:$<CONFIG:MinSizeRel>,$<COMPILE_LANGUAGE:C,CXX>>:-fno-ipa-sra>)
endif()

# setup_include_view(<target> <PUBLIC|PRIVATE|INTERFACE> <path>...)
# Gives <target> the headers of the given folders or files of the source tree,
# named as everywhere by their path from the root ("framework/forms/form.h"),
# and no others: a directory of the build tree holds a symbolic link for each
# at its own path, and is an include directory of <target> (PUBLIC or
# INTERFACE: of whoever links it too). With no other include directory in the
# project, a target sees its own headers and those of what it links.
function(setup_include_view target scope)
  if(scope STREQUAL "PRIVATE")
    set(view ${CMAKE_BINARY_DIR}/include-views/${target}-private)
  else()
    set(view ${CMAKE_BINARY_DIR}/include-views/${target})
  endif()
  foreach(path ${ARGN})
    get_filename_component(parent ${view}/${path} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${path} ${view}/${path} SYMBOLIC)
  endforeach()
  target_include_directories(${target} ${scope} ${view})
endfunction()

# setup_layer_library(<target> DIRECTORY <dir> [PUBLIC <targets>...] [PRIVATE <targets>...])
# A static library of every .cpp file directly in <dir> (an interface library
# when it has none), linked to the layers below it that it uses: PUBLIC those
# its headers include, PRIVATE those only its sources do. Its headers are
# those of <dir> (setup_include_view).
function(setup_layer_library target)
  cmake_parse_arguments(ARG "" "DIRECTORY" "PUBLIC;PRIVATE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${ARG_DIRECTORY}/*.cpp)
  if(NOT sources)
    add_library(${target} INTERFACE)
    target_link_libraries(${target} INTERFACE setup_options ${ARG_PUBLIC} ${ARG_PRIVATE})
    setup_include_view(${target} INTERFACE ${ARG_DIRECTORY})
    return()
  endif()
  add_library(${target} STATIC ${sources})
  target_link_libraries(${target} PUBLIC setup_options ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
  setup_include_view(${target} PUBLIC ${ARG_DIRECTORY})
endfunction()

# setup_test(<name> DIRECTORY <dir> DEPENDS <targets>...)
# One GoogleTest executable of every .cpp file in <dir>, registered with CTest;
# it sees the headers of tests/ (its own, the shared test support) and of
# what it depends on.
function(setup_test name)
  cmake_parse_arguments(ARG "" "DIRECTORY" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${ARG_DIRECTORY}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources} ${PROJECT_SOURCE_DIR}/tests/support/host_test_main.cpp)
  target_link_libraries(${name} PRIVATE setup_options ${ARG_DEPENDS} GTest::gtest)
  setup_include_view(${name} PRIVATE tests)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "HOSTWIN_PREFIX=${CMAKE_BINARY_DIR}/test-prefix/${name}")
endfunction()
