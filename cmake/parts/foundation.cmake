# Foundation: the file utility, the start-up helpers, the crash handler and the
# executable itself (later parts add their libraries and resources to it).

if(WIN32_BUILD)
  add_library(uninst_fileutil STATIC system/file_util.cpp system/file_util_win.cpp)
else()
  add_library(uninst_fileutil STATIC system/file_util.cpp system/file_util_posix.cpp)
endif()

if(WIN32_BUILD)
  add_library(uninst_app_win STATIC app/startup_win.cpp app/crash_dump_win.cpp)
  target_link_libraries(uninst_app_win PUBLIC dbghelp)

  add_executable(uninstaller WIN32 app/main_win.cpp app/app.rc)
  # wWinMain is the entry point.
  target_link_options(uninstaller PRIVATE -municode)
  target_link_libraries(uninstaller PRIVATE uninst_app_win uninst_fileutil)
  set_source_files_properties(app/app.rc PROPERTIES OBJECT_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/app/uninstaller.manifest)
endif()


# ---- Tests ----
uninst_gtest(NAME foundation_file_util_test
  SOURCES tests/foundation/file_util_test.cpp
  LIBS uninst_fileutil
  LABELS foundation)
uninst_gtest(NAME foundation_app_win_test
  SOURCES tests/foundation/app_win_test.cpp
  LIBS uninst_app_win
  LABELS foundation WIN_ONLY)

if(WIN_TESTS)
  # Small Windows programs that the script tests drive under wine64.
  foreach(probe fs_probe waiter crash_probe)
    add_executable(foundation_${probe} tests/foundation/${probe}_win.cpp)
    set_target_properties(foundation_${probe} PROPERTIES
      OUTPUT_NAME ${probe} RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/foundation-tests)
    target_link_options(foundation_${probe} PRIVATE -municode)
  endforeach()
  target_link_libraries(foundation_fs_probe PRIVATE uninst_fileutil)
  target_link_libraries(foundation_crash_probe PRIVATE uninst_app_win)
endif()

uninst_script_test(NAME foundation:links-and-read-only
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/foundation/links_test.sh
  LABELS foundation WIN_ONLY)
uninst_script_test(NAME foundation:startup-guard
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/foundation/startup_test.sh
  LABELS foundation gui TIMEOUT 900 WIN_ONLY)
uninst_script_test(NAME foundation:crash-dump
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/foundation/crash_dump_test.sh
  LABELS foundation gui TIMEOUT 900 WIN_ONLY)
uninst_script_test(NAME foundation:product-executable
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/foundation/product_test.sh
  LABELS foundation PRODUCT)
