# Reporting: device probes, adapter identity, report documents, the HTTP poster.

add_library(uninst_report STATIC
  report/adapter_choice.cpp
  report/drive_table.cpp
  report/feedback_selection.cpp
  report/http_post.cpp
  report/json_value.cpp
  report/os_version.cpp
  report/report_documents.cpp)
target_link_libraries(uninst_report PUBLIC dep::cjson dep::curl)
if(WIN32_BUILD)
  target_sources(uninst_report PRIVATE
    report/device_probe_win.cpp
    report/device_report_win.cpp
    report/mac_address_win.cpp
    report/optional_calls_win.cpp
    report/reports_win.cpp
    report/wide_to_utf8_win.cpp)
  # The reports read the configured addresses and the installation's GUID.
  target_link_libraries(uninst_report PUBLIC uninst_config uninst_services iphlpapi advapi32)
endif()

# Portable logic: document texts, adapter choice, drive order, curl failure text.
uninst_gtest(NAME report_logic_tests
  SOURCES tests/report/json_value_test.cpp
          tests/report/report_documents_test.cpp
          tests/report/adapter_choice_test.cpp
          tests/report/drive_table_test.cpp
          tests/report/feedback_selection_test.cpp
          tests/report/curl_failure_test.cpp
  LIBS uninst_report
  LABELS report)

# Tests that need the report collector: one program, run by with_collector.sh
# (the collector's address reaches it through the environment).
if(NOT UNINST_TREE STREQUAL "win32")
  add_executable(report_post_tests
    tests/report/post_json_test.cpp
    tests/report/collector_client.cpp)
  target_link_libraries(report_post_tests PRIVATE uninst_report GTest::gtest GTest::gtest_main)
  uninst_script_test(NAME report-post-json
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tests/report/with_collector.sh $<TARGET_FILE:report_post_tests>
    LABELS report)
endif()

# The probes on a real system: Wine's registry, drives, memory and adapters.
uninst_gtest(NAME report_probe_tests
  SOURCES tests/report/device_probe_win_test.cpp
  LIBS uninst_report
  LABELS report
  ISOLATE AdapterRegistry.FallbackIsProbedAgainThenKept
  WIN_ONLY)

# The two reports from a real system to the collector.
if(WIN_TESTS)
  add_executable(report_send_tests
    tests/report/reports_win_test.cpp
    tests/report/collector_client.cpp)
  target_link_libraries(report_send_tests PRIVATE uninst_report GTest::gtest GTest::gtest_main)
  uninst_script_test(NAME report-send
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tests/report/with_collector.sh $<TARGET_FILE:report_send_tests>
    LABELS report
    WIN_ONLY)
endif()

# Benchmark (run by hand, not a test): cost of the device report, first and later calls.
if(WIN32_BUILD)
  add_executable(bench_device_report bench/bench_device_report_win.cpp)
  target_link_libraries(bench_device_report PRIVATE uninst_report)
endif()
