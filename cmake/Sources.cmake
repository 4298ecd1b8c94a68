# Each source folder becomes one object library; new files are picked up by
# the glob on the next build (CONFIGURE_DEPENDS).
function(qz_object_library name dir)
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${PROJECT_SOURCE_DIR}/${dir}/*.cpp ${PROJECT_SOURCE_DIR}/${dir}/*.c)
  # A library's exported main joins only the library and its program.
  list(FILTER srcs EXCLUDE REGEX "/exported_main\\.cpp$")
  if(NOT srcs)
    # An empty folder still yields a (trivially empty) library.
    set(srcs ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(${name} OBJECT ${srcs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include)
  target_compile_definitions(${name} PRIVATE QZ_BUILDING_LIBRARY)
endfunction()

# One GoogleTest program per test folder. The support library comes first on
# the link line: it uses the encoding converters of the library under test.
function(qz_test_program name dir)
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${dir}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE qz_testsupport ${ARGN} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}/tests
    PROPERTIES ENVIRONMENT "QZ_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data"
    DISCOVERY_TIMEOUT 120)
endfunction()

# Links a shared library with a version script built from its export list
# (tests/exports/<lib>.txt), so that nothing else leaks out: template code of
# the standard library is otherwise exported with default visibility.
function(qz_export_list target list)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${list})
  file(STRINGS ${list} lines)
  set(names "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "#.*" "" line "${line}")
    string(STRIP "${line}" line)
    if(line)
      string(APPEND names "    ${line};\n")
    endif()
  endforeach()
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
  if(names)
    set(names "  global:\n${names}")
  endif()
  file(WRITE ${script} "{\n${names}  local: *;\n};\n")
  target_link_options(${target} PRIVATE -Wl,--version-script=${script})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${script})
endfunction()
