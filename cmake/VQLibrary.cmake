# vq_library(<target> [DEPS <targets...>] [PRIVATE_DEPS <targets...>]): one
# static library from every source file of the calling folder. Its folder is
# its only public include folder: headers are included by bare name, so a
# library sees the headers of what it links and nothing else. DEPS are the
# libraries its headers need; PRIVATE_DEPS those only its sources need.
# Sources are globbed so that adding a module needs no edit here.
function(vq_library target)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${target} STATIC ${srcs})
  target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  set_property(GLOBAL APPEND PROPERTY VQ_LIBRARIES ${target})
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  vq_record_layer(library ${target} ${folder} ${ARG_DEPS} ${ARG_PRIVATE_DEPS})
endfunction()

# vq_record_layer(library|program|test <target> <folder> <linked targets...>):
# every library, program and test program records its folder and what it
# links, for the layer check (tools/layercheck). Outside libraries are left
# out by the check itself.
function(vq_record_layer kind target folder)
  set(deps "")
  foreach(d IN LISTS ARGN)
    if(NOT d MATCHES "::" AND NOT d MATCHES "^Threads")
      list(APPEND deps ${d})
    endif()
  endforeach()
  list(JOIN deps " " deps_text)
  set_property(GLOBAL APPEND PROPERTY VQ_LAYER_LINES "${kind}|${target}|${folder}|${deps_text}")
endfunction()

# vq_test(<target> DEPS <targets...>): one GoogleTest program from every
# source of the calling test folder, its cases registered with CTest. Tests
# see their own folder and tests/ (shared test helpers) besides what they link.
# They run headless (VQ_TEST=1), with the sanitizer settings of the build.
function(vq_test target)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_executable(${target} ${srcs})
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "VQ_TEST=1")
  if(VQ_SANITIZER_ENVIRONMENT)
    # The discovery's PROPERTIES cannot carry a list of variables: the whole
    # list is set on the discovered tests (${target}_TESTS) by a script CTest
    # reads after the discovery's own.
    set(environment "VQ_TEST=1" ${VQ_SANITIZER_ENVIRONMENT})
    set(script "${CMAKE_CURRENT_BINARY_DIR}/${target}_environment.cmake")
    file(WRITE "${script}" "if(DEFINED ${target}_TESTS)\n"
      "  set_tests_properties(\${${target}_TESTS} PROPERTIES ENVIRONMENT [==[${environment}]==])\n"
      "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${script}")
  endif()
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  vq_record_layer(test ${target} ${folder} ${ARG_DEPS})
endfunction()
