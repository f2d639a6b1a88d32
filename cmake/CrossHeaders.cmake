# Header-only libraries for a cross build: the host's CLI11, nlohmann-json and stb headers
# are copied into the build folder, so /usr/include itself never enters the Windows build.
foreach(_lib CLI nlohmann stb)
  if(NOT EXISTS /usr/include/${_lib})
    message(FATAL_ERROR "/usr/include/${_lib} is missing: run scripts/install-deps.sh")
  endif()
  file(COPY /usr/include/${_lib} DESTINATION ${PROJECT_BINARY_DIR}/third_party/include)
endforeach()

add_library(CLI11::CLI11 INTERFACE IMPORTED GLOBAL)
target_include_directories(CLI11::CLI11 INTERFACE ${PROJECT_BINARY_DIR}/third_party/include)
add_library(stb::stb INTERFACE IMPORTED GLOBAL)
target_include_directories(stb::stb INTERFACE ${PROJECT_BINARY_DIR}/third_party/include)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
target_include_directories(nlohmann_json::nlohmann_json INTERFACE
  ${PROJECT_BINARY_DIR}/third_party/include)

# GoogleTest from the Debian source package, built with the cross compiler.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
