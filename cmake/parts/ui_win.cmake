# The Windows layer of the skin UI framework, the hand-off to the UI thread, and
# the wizard's skin (images, archive and icons drawn at build time).

# --- the skin ------------------------------------------------------------------
# res/make_skin.sh draws every image and icon and packs skin.zip with the zip tool.
# Every tree makes it (the host benchmarks load the real archive too).
set(UNINST_SKIN_DIR ${CMAKE_BINARY_DIR}/skin)
set(UNINST_SKIN_ZIP ${UNINST_SKIN_DIR}/skin.zip)
set(_uninst_skin_outputs
  ${UNINST_SKIN_ZIP}
  ${UNINST_SKIN_DIR}/icon_default.ico ${UNINST_SKIN_DIR}/icon_rulo.ico
  ${UNINST_SKIN_DIR}/icon_test.ico ${UNINST_SKIN_DIR}/icon_match.ico)
add_custom_command(
  OUTPUT ${_uninst_skin_outputs}
  COMMAND bash ${CMAKE_SOURCE_DIR}/res/make_skin.sh ${UNINST_SKIN_DIR}
  DEPENDS ${CMAKE_SOURCE_DIR}/res/make_skin.sh ${CMAKE_SOURCE_DIR}/res/uninstall.xml
  COMMENT "Drawing the wizard's skin and icons"
  VERBATIM)
add_custom_target(uninst_skin ALL DEPENDS ${_uninst_skin_outputs})

# --- the hand-off to the UI thread (portable queue, tested on the host) ---------
add_library(uninst_ui_tasks STATIC ui/ui_task_queue.cpp)
if(NOT WIN32_BUILD)
  target_link_libraries(uninst_ui_tasks PUBLIC Threads::Threads)
endif()
uninst_gtest(NAME ui_task_queue_test
  SOURCES tests/ui_win/ui_task_queue_test.cpp
  LIBS uninst_ui_tasks
  LABELS ui)

if(WIN32_BUILD)
  enable_language(RC)

  # The skin resource: the archive (ZIPRES 103) and the icons 104 to 107.
  set(UNINST_SKIN_RC ${CMAKE_SOURCE_DIR}/res/skin.rc)
  set_source_files_properties(${UNINST_SKIN_RC} PROPERTIES
    OBJECT_DEPENDS "${_uninst_skin_outputs}"
    INCLUDE_DIRECTORIES ${UNINST_SKIN_DIR})
  if(TARGET uninstaller)
    target_sources(uninstaller PRIVATE ${UNINST_SKIN_RC})
    add_dependencies(uninstaller uninst_skin)
  endif()

  # The Windows layer: window host, paint manager's window side, GDI text and
  # layered presentation, and the hidden window that wakes the UI thread.
  add_library(uninst_ui_win STATIC
    ui/window_wnd_win.cpp
    ui/window_impl_base_win.cpp
    ui/paint_manager_win.cpp
    ui/win_platform_win.cpp
    ui/ui_task_queue_win.cpp)
  target_link_libraries(uninst_ui_win PUBLIC uninst_ui uninst_ui_tasks gdi32 user32)

  uninst_gtest(NAME ui_task_window_test
    SOURCES tests/ui_win/ui_task_window_test.cpp
    LIBS uninst_ui_win
    LABELS ui
    WIN_ONLY)
  # Hidden real windows; the program carries the wizard's icons (skin.rc).
  uninst_gtest(NAME ui_window_layer_test
    SOURCES tests/ui_win/window_layer_test.cpp ${UNINST_SKIN_RC}
    LIBS uninst_ui_win
    LABELS ui
    WIN_ONLY)
endif()

if(WIN_TESTS)
  # GUI tests: a probe window built from a small test skin (plain-coloured
  # images, made with the zip tool at build time), and the same probe showing
  # the real wizard layout from the real skin archive.
  set(UNINST_UI_TEST_DIR ${CMAKE_BINARY_DIR}/ui_win-tests)
  add_custom_command(
    OUTPUT ${UNINST_UI_TEST_DIR}/test_skin.zip
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/ui_win/make_test_skin.sh ${UNINST_UI_TEST_DIR}
    DEPENDS ${CMAKE_SOURCE_DIR}/tests/ui_win/make_test_skin.sh ${CMAKE_SOURCE_DIR}/tests/ui_win/test_layout.xml
    COMMENT "Making the GUI tests' skin archive"
    VERBATIM)
  add_custom_target(uninst_ui_test_skin DEPENDS ${UNINST_UI_TEST_DIR}/test_skin.zip)
  set_source_files_properties(${CMAKE_SOURCE_DIR}/tests/ui_win/test_skin.rc PROPERTIES
    OBJECT_DEPENDS ${UNINST_UI_TEST_DIR}/test_skin.zip
    INCLUDE_DIRECTORIES ${UNINST_UI_TEST_DIR})

  add_executable(ui_win_probe WIN32 tests/ui_win/ui_probe_win.cpp tests/ui_win/test_skin.rc)
  add_dependencies(ui_win_probe uninst_ui_test_skin)
  add_executable(ui_win_wizard_probe WIN32 tests/ui_win/ui_probe_win.cpp ${UNINST_SKIN_RC})
  add_dependencies(ui_win_wizard_probe uninst_skin)
  foreach(probe ui_win_probe ui_win_wizard_probe)
    target_link_libraries(${probe} PRIVATE uninst_ui_win shell32)
    target_link_options(${probe} PRIVATE -municode)
    set_target_properties(${probe} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${UNINST_UI_TEST_DIR})
  endforeach()
  set_target_properties(ui_win_probe PROPERTIES OUTPUT_NAME ui_probe)
  set_target_properties(ui_win_wizard_probe PROPERTIES OUTPUT_NAME wizard_probe)
endif()

uninst_script_test(NAME ui_win:gui
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/ui_win/gui_test.sh
  LABELS ui gui TIMEOUT 900 WIN_ONLY)

uninst_script_test(NAME ui_win:skin-archive
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/ui_win/skin_archive_test.sh
  LABELS ui HOST_ONLY)
