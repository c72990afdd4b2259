# vq_library(<target> DEPS <targets...>): one static library from every source
# file of the calling folder. Sources are globbed so that adding a module needs
# no edit here.
function(vq_library target)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${target} STATIC ${srcs})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${ARG_DEPS})
  set_property(GLOBAL APPEND PROPERTY VQ_LIBRARIES ${target})
endfunction()

# vq_test(<target> DEPS <targets...>): one GoogleTest program from every
# source of the calling test folder, its cases registered with CTest.
function(vq_test target)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_executable(${target} ${srcs})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "VQ_TEST=1")
endfunction()
