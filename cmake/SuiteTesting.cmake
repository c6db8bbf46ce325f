# suite_add_test(<name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>])
# Builds one GoogleTest program and registers each of its tests with CTest.
if(SUITE_BUILD_TESTS)
  enable_testing()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

function(suite_add_test name)
  if(NOT SUITE_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main Threads::Threads)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    SUITE_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
    SUITE_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${T_LABELS}"
               ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# suite_add_tests_in(<dir> <prefix> LIBS <targets...>)
# One test program per "<dir>/*_test.cpp", so a broken test file only breaks itself.
function(suite_add_tests_in dir prefix)
  cmake_parse_arguments(T "" "TIMEOUT" "LIBS;LABELS" ${ARGN})
  file(GLOB test_sources CONFIGURE_DEPENDS ${dir}/*_test.cpp)
  foreach(src ${test_sources})
    get_filename_component(stem ${src} NAME_WE)
    set(extra)
    if(T_TIMEOUT)
      set(extra TIMEOUT ${T_TIMEOUT})
    endif()
    suite_add_test(${prefix}${stem} SOURCES ${src} LIBS ${T_LIBS} LABELS ${T_LABELS} ${extra})
  endforeach()
endfunction()
