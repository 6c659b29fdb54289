# Provides GTest::gtest and GTest::gtest_main.
# Host builds use the packaged library; cross builds compile the sources that Debian's
# googletest package installs; a machine without either fetches them.
if(NOT CMAKE_CROSSCOMPILING)
  find_package(GTest QUIET)
endif()

if(NOT TARGET GTest::gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  if(EXISTS /usr/src/googletest/CMakeLists.txt)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  else()
    include(FetchContent)
    FetchContent_Declare(googletest
      URL https://github.com/google/googletest/archive/refs/tags/release-1.12.1.tar.gz)
    FetchContent_MakeAvailable(googletest)
  endif()
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
endif()
