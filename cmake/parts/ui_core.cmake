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
  ui/paint_manager.cpp)
target_link_libraries(uninst_ui PUBLIC dep::zlib dep::stb)

# A ui_platform without a window, for host tests and benchmarks.
add_library(uninst_ui_headless STATIC ui/headless_platform.cpp)
target_link_libraries(uninst_ui_headless PUBLIC uninst_ui)
