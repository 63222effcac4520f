# Saving results end to end: the same driver library and shell script as the
# main scenarios, with a driver program of its own that also runs
# quillmark-verify.exe on the files the program wrote.
add_executable(qm_e2e_export_driver ${CMAKE_CURRENT_LIST_DIR}/export_scenarios.cpp ${CMAKE_CURRENT_LIST_DIR}/driver.cpp
                                    ${PROJECT_SOURCE_DIR}/tests/support/wait_for.cpp)
target_include_directories(qm_e2e_export_driver PRIVATE ${PROJECT_SOURCE_DIR})
target_link_options(qm_e2e_export_driver PRIVATE -municode)
target_link_libraries(qm_e2e_export_driver PRIVATE user32 gdi32 comctl32)
target_compile_definitions(qm_e2e_export_driver PRIVATE QM_VERIFY_EXE=L"$<TARGET_FILE:quillmark-verify>")
add_dependencies(qm_e2e_export_driver quillmark_gui quillmark-verify)
foreach(scenario export_before_run export_after_run)
  add_test(NAME e2e.${scenario}
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run_scenario.sh ${scenario} $<TARGET_FILE:quillmark_gui>
                   $<TARGET_FILE:qm_e2e_export_driver> ${CMAKE_CURRENT_BINARY_DIR}/runs ${QM_E2E_ARTIFACTS})
  set_tests_properties(e2e.${scenario} PROPERTIES LABELS e2e RUN_SERIAL TRUE TIMEOUT 500 SKIP_RETURN_CODE 77)
endforeach()
