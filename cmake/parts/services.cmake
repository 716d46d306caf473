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

