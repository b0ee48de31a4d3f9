# googletest for the test programs, which link GTest::gtest_main.
# The installed package where there is one that fits the target (Debian's
# libgtest-dev for the native build); otherwise it is built from its
# sources, as for MinGW, for which no prebuilt googletest is packaged.
find_package(GTest CONFIG QUIET)
if(GTest_FOUND)
  message(STATUS "googletest: the installed package in ${GTest_DIR}")
  return()
endif()

# The sources sit in <prefix>/src/googletest (Debian's googletest package),
# looked for under the prefix that holds cmake itself and, for a host build,
# under the system's prefixes. QM_GOOGLETEST_SOURCE_DIR names them elsewhere.
get_filename_component(QM_HOST_PREFIX "${CMAKE_COMMAND}" DIRECTORY)
get_filename_component(QM_HOST_PREFIX "${QM_HOST_PREFIX}" DIRECTORY)
set(QM_GOOGLETEST_PLACES "${QM_HOST_PREFIX}/src/googletest")
if(NOT CMAKE_CROSSCOMPILING)
  foreach(prefix ${CMAKE_SYSTEM_PREFIX_PATH})
    list(APPEND QM_GOOGLETEST_PLACES "${prefix}/src/googletest")
  endforeach()
endif()
find_path(QM_GOOGLETEST_SOURCE_DIR
  NAMES googletest/src/gtest-all.cc
  PATHS ${QM_GOOGLETEST_PLACES}
  DOC "googletest's sources (the folder that holds googletest/), built when no installed package fits"
  NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT QM_GOOGLETEST_SOURCE_DIR)
  message(FATAL_ERROR "googletest: no installed package fits this build and its sources are not in "
    "${QM_GOOGLETEST_PLACES}. Install them (Debian: googletest) or name them with "
    "-DQM_GOOGLETEST_SOURCE_DIR=<folder holding googletest/>.")
endif()
message(STATUS "googletest: built from ${QM_GOOGLETEST_SOURCE_DIR}")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${QM_GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# googletest's own build names its targets GTest::gtest and GTest::gtest_main
# from version 1.11 on, as the package does.
if(NOT TARGET GTest::gtest_main)
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()
