# GoogleTest and GoogleMock for the Windows cross builds, compiled from Debian's sources
# (package googletest): Debian ships them built for Linux only. The targets get the same
# names as find_package(GTest) gives (GTest::gtest, GTest::gmock, GTest::gtest_main), and
# their headers count as system headers, as the installed ones do on Linux.
set(KVT_GOOGLETEST_SOURCE_DIR /usr/src/googletest
  CACHE PATH "GoogleTest and GoogleMock sources (Debian package googletest)")
if(NOT EXISTS ${KVT_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${KVT_GOOGLETEST_SOURCE_DIR}: "
    "install the Debian package googletest")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "Install GoogleTest with this project" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "Build GoogleMock" FORCE)
add_subdirectory(${KVT_GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
