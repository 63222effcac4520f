# The comparison window end to end: a GoogleTest program that starts
# quillmark.exe under Wine in a folder of its own and looks at its windows.
qm_add_test(comparison_e2e SOURCES ${CMAKE_CURRENT_LIST_DIR}/comparison_test.cpp LIBS qm_comparison_layout
            LABELS e2e)
target_link_libraries(comparison_e2e PRIVATE gdi32 user32 comctl32)
target_compile_definitions(comparison_e2e PRIVATE
  QM_QUILLMARK_EXE="$<TARGET_FILE:quillmark_gui>"
  QM_ASSETS_DIR="${PROJECT_SOURCE_DIR}/assets"
  QM_E2E_WORK_DIR="${CMAKE_BINARY_DIR}/e2e-work"
  QM_E2E_ARTIFACTS_DIR="${CMAKE_BINARY_DIR}/e2e-artifacts")
add_dependencies(comparison_e2e quillmark_gui)
