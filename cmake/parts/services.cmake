# System services: registry access by key paths, shortcut cleanup, edition
# display names and the self-removal script.

set(_services_sources
  system/registry.cpp
  uninstall/edition_names.cpp
  uninstall/self_removal.cpp)
if(WIN32_BUILD)
  list(APPEND _services_sources
    system/registry_win.cpp
    system/shortcuts_win.cpp
    uninstall/self_removal_win.cpp)
endif()
add_library(uninst_services STATIC ${_services_sources})
target_link_libraries(uninst_services PUBLIC uninst_fileutil)
if(WIN32_BUILD)
  target_link_libraries(uninst_services PUBLIC advapi32 shell32 ole32)
endif()

# ---- Tests ----
uninst_gtest(NAME services_text_test
  SOURCES tests/services/registry_text_test.cpp
          tests/services/edition_names_test.cpp
          tests/services/self_removal_script_test.cpp
  LIBS uninst_services
  LABELS services)

uninst_gtest(NAME services_win_test
  SOURCES tests/services/registry_win_test.cpp
          tests/services/shortcuts_win_test.cpp
          tests/services/self_removal_win_test.cpp
  LIBS uninst_services
  LABELS services
  WIN_ONLY)

if(WIN_TESTS)
  # Stands in for uninstaller.exe: launches the real script from its own folder.
  add_executable(services_removal_probe tests/services/removal_probe_win.cpp)
  target_link_options(services_removal_probe PRIVATE -municode)
  target_link_libraries(services_removal_probe PRIVATE uninst_services)
endif()
uninst_script_test(NAME services_self_removal_run
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/services/self_removal_run.sh
          $<TARGET_FILE:services_removal_probe>
  LABELS services
  TIMEOUT 900
  WIN_ONLY)
