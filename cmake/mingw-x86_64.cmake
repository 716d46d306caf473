# MinGW-w64 cross toolchain for 64-bit Windows. The same sources as the product,
# built so that the Windows tests can run under wine64 on machines that cannot
# execute 32-bit code (and so cannot run 32-bit Wine).
set(UNINST_TRIPLE x86_64-w64-mingw32)
set(UNINST_DEPS_SUBDIR win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
