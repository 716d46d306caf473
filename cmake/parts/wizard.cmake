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
            tests/wizard/wizard_rules_test.cpp tests/wizard/background_result_test.cpp
    LIBS uninst_wizard
    LABELS wizard)
endif()

if(WIN32_BUILD AND TARGET uninst_fileutil)
  # The shell folders that must never be emptied.
  add_library(uninst_wizard_shell STATIC uninstall/protected_folders_win.cpp)
  target_link_libraries(uninst_wizard_shell PUBLIC shell32)
  uninst_gtest(NAME wizard_shell_tests
    SOURCES tests/wizard/protected_folders_win_test.cpp
    LIBS uninst_wizard_shell uninst_wizard
    LABELS wizard
    WIN_ONLY)
endif()

if(WIN_TESTS)
  # Helpers of the end-to-end tests and the benchmark (run under wine64).
  add_executable(e2e_hold_file tests/e2e/hold_file_win.cpp)
  target_link_options(e2e_hold_file PRIVATE -municode)
  add_executable(bench_uninstall_deleter bench/bench_uninstall_deleter_win.cpp)
  target_link_options(bench_uninstall_deleter PRIVATE -municode)
  add_executable(bench_uninstall_worker bench/bench_uninstall_worker_win.cpp)
  target_link_options(bench_uninstall_worker PRIVATE -municode)
  target_link_libraries(bench_uninstall_worker PRIVATE uninst_wizard)
endif()

# The wizard window and the uninstall procedure, linked into the executable.
if(WIN32_BUILD AND TARGET uninstaller AND TARGET uninst_ui_win AND TARGET uninst_services
   AND TARGET uninst_report AND TARGET uninst_config AND EXISTS ${CMAKE_SOURCE_DIR}/report/reports.h)
  add_library(uninst_wizard_win STATIC
    uninstall/dlg_uninst_page_win.cpp
    uninstall/removal_view_win.cpp)
  target_link_libraries(uninst_wizard_win PUBLIC
    uninst_wizard uninst_wizard_shell uninst_ui_win uninst_services uninst_report uninst_config
    uninst_app_win shell32)
  if(TARGET uninst_ui_task_window)
    target_link_libraries(uninst_wizard_win PUBLIC uninst_ui_task_window)
  endif()
  target_link_libraries(uninstaller PRIVATE uninst_wizard_win)
endif()

# Acceptance of the whole program under Wine: the real executable in a fresh
# fake installation, driven by real clicks. The scenarios share one prefix and
# display (and the single-instance mutex), so they run one at a time.
if(WIN_TESTS AND TARGET uninst_wizard_win)
  set(_wizard_scenarios
    cancel-close-mark cancel-button escape-on-reasons uninstall-reasons
    resources-absent resources-default-keep resources-default-remove
    resources-outside-keep resources-outside-remove
    locked-file no-guid key-without-backslash chinese-folder
    protected-install protected-resources keys)
  foreach(_s IN LISTS _wizard_scenarios)
    uninst_script_test(NAME e2e:${_s}
      COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/e2e/acceptance.py ${_s}
      LABELS e2e TIMEOUT 900 WIN_ONLY)
    set_tests_properties("${UNINST_TREE}:e2e:${_s}" PROPERTIES RESOURCE_LOCK uninst_e2e_prefix)
  endforeach()
endif()
