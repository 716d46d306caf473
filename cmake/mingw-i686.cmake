# MinGW-w64 cross toolchain for 32-bit Windows (the product), posix thread model.
set(UNINST_TRIPLE i686-w64-mingw32)
set(UNINST_DEPS_SUBDIR win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
