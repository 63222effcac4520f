# The comparison window end to end: a GoogleTest program that starts
# quillmark.exe under Wine in a folder of its own and looks at its windows
# (before a run, and at 144 DPI), and the checks after a run that the
# full-run scenario of the main driver calls, so that one run serves both.
if(NOT QM_E2E_ARTIFACTS)
  set(QM_E2E_ARTIFACTS ${PROJECT_SOURCE_DIR}/build/e2e-artifacts)
endif()
add_executable(comparison_e2e ${CMAKE_CURRENT_LIST_DIR}/comparison_test.cpp
                              ${CMAKE_CURRENT_LIST_DIR}/comparison_support.cpp
                              ${PROJECT_SOURCE_DIR}/tests/support/wait_for.cpp)
target_include_directories(comparison_e2e PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(comparison_e2e PRIVATE qm_comparison_layout GTest::gtest_main gdi32 user32 comctl32)
target_compile_definitions(comparison_e2e PRIVATE
  QM_QUILLMARK_EXE="$<TARGET_FILE:quillmark_gui>"
  QM_ASSETS_DIR="${PROJECT_SOURCE_DIR}/assets"
  QM_E2E_WORK_DIR="${CMAKE_CURRENT_BINARY_DIR}/runs"
  QM_E2E_ARTIFACTS_DIR="${QM_E2E_ARTIFACTS}")
add_dependencies(comparison_e2e quillmark_gui)
gtest_discover_tests(comparison_e2e
  DISCOVERY_MODE PRE_TEST
  DISCOVERY_TIMEOUT 120
  PROPERTIES LABELS e2e RUN_SERIAL TRUE TIMEOUT 600)

if(TARGET qm_e2e_driver)
  target_sources(qm_e2e_driver PRIVATE ${CMAKE_CURRENT_LIST_DIR}/comparison_after_run.cpp
                                       ${CMAKE_CURRENT_LIST_DIR}/comparison_support.cpp)
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/comparison_after_run.cpp PROPERTIES
    COMPILE_DEFINITIONS "QM_ASSETS_DIR=\"${PROJECT_SOURCE_DIR}/assets\"")
endif()
