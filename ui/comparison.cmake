# The comparison window: its portable layout (tested natively) and, for
# Windows, the window itself. Included by ui/ and by the tests that need it,
# whichever comes first.
include_guard(GLOBAL)

add_library(qm_comparison_layout STATIC ${CMAKE_CURRENT_LIST_DIR}/comparison_layout.cpp)
target_include_directories(qm_comparison_layout PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(qm_comparison_layout PUBLIC qm_engine)

if(WIN32)
  # The command's glue (comparison_command.cpp) reaches into the main
  # program, its state and its pump, so it is built with the program.
  add_library(qm_comparison STATIC ${CMAKE_CURRENT_LIST_DIR}/comparison_window.cpp)
  target_link_libraries(qm_comparison PUBLIC qm_comparison_layout qm_platform)
endif()
