# The uninstall wizard: the removal worker and the folder-safety rules
# (portable), the wizard window and the uninstall procedure (Windows), and
# the end-to-end acceptance tests of the whole program under Wine.
if(TARGET uninst_fileutil)
  add_library(uninst_wizard STATIC
    uninstall/removal_worker.cpp
    uninstall/install_safety.cpp
    uninstall/wizard_rules.cpp)
  target_link_libraries(uninst_wizard PUBLIC uninst_fileutil)

  uninst_gtest(NAME wizard_tests
    SOURCES tests/wizard/removal_worker_test.cpp tests/wizard/install_safety_test.cpp
            tests/wizard/wizard_rules_test.cpp
    LIBS uninst_wizard
    LABELS wizard)
endif()

if(WIN_TESTS)
  # Helpers of the end-to-end tests and the benchmark (run under wine64).
  add_executable(e2e_hold_file tests/e2e/hold_file_win.cpp)
  target_link_options(e2e_hold_file PRIVATE -municode)
  add_executable(bench_uninstall_deleter bench/bench_uninstall_deleter_win.cpp)
  target_link_options(bench_uninstall_deleter PRIVATE -municode)
endif()

# The wizard window and the uninstall procedure, linked into the executable.
if(WIN32_BUILD AND TARGET uninstaller AND TARGET uninst_ui_win AND TARGET uninst_services
   AND TARGET uninst_report AND TARGET uninst_config AND EXISTS ${CMAKE_SOURCE_DIR}/report/reports.h)
  add_library(uninst_wizard_win STATIC
    uninstall/dlg_uninst_page_win.cpp
    uninstall/removal_view_win.cpp
    uninstall/protected_folders_win.cpp)
  target_link_libraries(uninst_wizard_win PUBLIC
    uninst_wizard uninst_ui_win uninst_services uninst_report uninst_config uninst_app_win shell32)
  target_link_libraries(uninstaller PRIVATE uninst_wizard_win)
endif()
