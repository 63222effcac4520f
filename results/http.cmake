# The board's pages, JSON and HTTP server. Included by results/CMakeLists.txt
# after the core (report check, storage, submission) is defined, as
# qm_results_submission.
include_guard(GLOBAL)

find_package(PkgConfig REQUIRED)
pkg_check_modules(QM_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
find_package(nlohmann_json 3 REQUIRED)

# Pure rendering: records in, HTML, SVG, CSV and JSON out.
add_library(qm_results_pages STATIC
  ${CMAKE_CURRENT_LIST_DIR}/api/result_json.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pages/drive_pages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pages/html_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pages/leaderboard_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pages/page_frame.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pages/result_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pages/results_csv.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pages/results_table.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pages/speed_scale.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pages/submit_page.cpp)
target_include_directories(qm_results_pages PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(qm_results_pages PUBLIC qm_results_submission qm_engine qm_platform nlohmann_json::nlohmann_json)

# The server: routes, limits, logging, and `serve` around it.
add_library(qm_results_http STATIC
  ${CMAKE_CURRENT_LIST_DIR}/serve.cpp
  ${CMAKE_CURRENT_LIST_DIR}/http/api_routes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/http/board_server.cpp
  ${CMAKE_CURRENT_LIST_DIR}/http/http_replies.cpp
  ${CMAKE_CURRENT_LIST_DIR}/http/page_routes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/http/request_values.cpp
  ${CMAKE_CURRENT_LIST_DIR}/http/upload_gate.cpp)
target_link_libraries(qm_results_http PUBLIC qm_results_pages PkgConfig::QM_HTTPLIB)
