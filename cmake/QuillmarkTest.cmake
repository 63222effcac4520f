# GoogleTest from Debian's sources, built for whichever target this tree builds for.
set(QM_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${QM_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)

# qm_add_test(NAME SOURCES a.cpp b.cpp LIBS qm_engine ... [SERIAL])
# SERIAL: its tests run while no other test does.
# One test program; its tests are discovered when ctest runs (under Wine for the
# Windows build), so cross-built programs never run at build time.
function(qm_add_test name)
  cmake_parse_arguments(ARG "SERIAL" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  set(labels ${ARG_LABELS})
  if(NOT labels)
    set(labels unit)
  endif()
  set(serial FALSE)
  if(ARG_SERIAL)
    set(serial TRUE)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    PROPERTIES LABELS "${labels}" RUN_SERIAL ${serial})
endfunction()
