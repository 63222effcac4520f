# The comparison window end to end: a GoogleTest program that starts
# quillmark.exe under Wine in a folder of its own, looks at its windows and
# saves screenshots of the comparison window beside the other e2e ones.
if(NOT QM_E2E_ARTIFACTS)
  set(QM_E2E_ARTIFACTS ${PROJECT_SOURCE_DIR}/build/e2e-artifacts)
endif()
add_executable(comparison_e2e ${CMAKE_CURRENT_LIST_DIR}/comparison_test.cpp)
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
