# Each subsystem is one directory and one static library built from every .cc in it,
# so adding a source file never means editing a build script.
function(palvane_library name dir)
  file(GLOB _srcs CONFIGURE_DEPENDS ${dir}/*.cc)
  if(_srcs)
    add_library(${name} STATIC ${_srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# One GoogleTest executable per test directory, registered test by test with CTest.
function(palvane_gtest name dir)
  file(GLOB _srcs CONFIGURE_DEPENDS ${dir}/*.cc)
  if(NOT _srcs)
    return()
  endif()
  add_executable(${name} ${_srcs})
  # A folder with a main.cc of its own starts GoogleTest itself.
  set(_main GTest::gtest_main)
  if(EXISTS ${dir}/main.cc)
    set(_main)
  endif()
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gmock ${_main})
  target_compile_definitions(${name} PRIVATE
    PALVANE_SOURCE_DIR="${PROJECT_SOURCE_DIR}" PALVANE_BINARY_DIR="${PROJECT_BINARY_DIR}")
  palvane_register_tests(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# One ctest entry per case on the host. A cross build runs each program once through its
# emulator instead: starting Wine costs seconds, the cases themselves milliseconds.
function(palvane_register_tests name)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 ${ARGN})
  endif()
endfunction()
