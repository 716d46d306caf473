# The portable core of the skin UI framework: markup, zip, images, builder,
# controls and the paint manager's logic. The Windows layer (uninst_ui_win)
# builds on it.
add_library(uninst_ui STATIC
  ui/ui_types.cpp
  ui/notify.cpp
  ui/markup.cpp
  ui/zip_archive.cpp
  ui/image.cpp
  ui/render.cpp
  ui/control.cpp
  ui/container.cpp
  ui/label.cpp
  ui/button.cpp
  ui/progress.cpp
  ui/dialog_builder.cpp
  ui/paint_manager.cpp
  ui/resource_file.cpp)
target_link_libraries(uninst_ui PUBLIC dep::zlib dep::stb)
# The pixel loops (blending, the alpha fix-up) need the vectoriser, which -O2
# leaves out for loops of unknown length.
if(NOT MSVC)
  set_source_files_properties(ui/render.cpp PROPERTIES COMPILE_OPTIONS "$<$<NOT:$<CONFIG:Debug>>:-O3>")
endif()

# A ui_platform without a window, for host tests and benchmarks.
add_library(uninst_ui_headless STATIC ui/headless_platform.cpp)
target_link_libraries(uninst_ui_headless PUBLIC uninst_ui)

# Host tests (GoogleTest), also under ASan+UBSan. They need the real zip tool
# and ImageMagick's convert to make their archives and PNGs.
uninst_gtest(NAME ui_core_tests
  SOURCES
    tests/ui/ui_test_support.cpp
    tests/ui/skin_fixture.cpp
    tests/ui/markup_test.cpp
    tests/ui/zip_archive_test.cpp
    tests/ui/image_test.cpp
    tests/ui/builder_test.cpp
    tests/ui/layout_paint_test.cpp
    tests/ui/input_test.cpp
  LIBS uninst_ui uninst_ui_headless dep::zlib
  LABELS ui
  HOST_ONLY)
if(TARGET ui_core_tests)
  target_compile_definitions(ui_core_tests PRIVATE UNINST_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
endif()

# Fuzz targets (asan tree) with a short regression run over their corpora.
uninst_fuzz(NAME ui_markup_fuzz SOURCES fuzz/ui_markup_fuzz.cpp LIBS uninst_ui uninst_ui_headless
            CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/ui_markup)
uninst_fuzz(NAME ui_zip_fuzz SOURCES fuzz/ui_zip_fuzz.cpp LIBS uninst_ui
            CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/ui_zip)
uninst_fuzz(NAME ui_png_fuzz SOURCES fuzz/ui_png_fuzz.cpp LIBS uninst_ui dep::zlib
            CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/ui_png)

# Benchmarks (host only; executables, not tests). bench_ui reads the wizard's
# real skin archive, which the Windows layer's fragment draws at build time.
if(NOT WIN32_BUILD)
  add_executable(bench_ui bench/bench_ui.cpp)
  target_link_libraries(bench_ui PRIVATE uninst_ui uninst_ui_headless)
  target_compile_definitions(bench_ui PRIVATE UNINST_BENCH_SKIN="${CMAKE_BINARY_DIR}/skin/skin.zip")
  # The skin target is defined by a fragment included after this one.
  function(_uicore_bench_skin_dependency)
    if(TARGET uninst_skin)
      add_dependencies(bench_ui uninst_skin)
    endif()
  endfunction()
  cmake_language(DEFER CALL _uicore_bench_skin_dependency)
endif()
