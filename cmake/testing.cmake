# Test helpers shared by every part.
#
# Build trees and their test label (also the test name prefix):
#   host   native Linux build                       label "host"
#   asan   native Linux build under ASan+UBSan      label "asan"
#   win64  x86_64 Windows build, tests under wine64 label "win64"
#   win32  i686 Windows build: the shipped product  label "win32" (static checks only)
#
# uninst_gtest(NAME <target> SOURCES ... [LIBS ...] [LABELS ...] [HOST_ONLY|WIN_ONLY])
#   A GoogleTest binary. Host trees discover its cases at test time; the win64
#   tree runs it as one test under wine64, except the cases named in ISOLATE,
#   which need a fresh process and run as tests of their own. Not built in the
#   win32 tree.
# uninst_script_test(NAME <name> COMMAND ... [LABELS ...] [TIMEOUT s] [HOST_ONLY|WIN_ONLY|PRODUCT])
#   A test driven by a script (GUI tests with xdotool, end-to-end runs). PRODUCT
#   tests run only in the win32 tree (checks of the shipped executable).
#   The environment has UNINST_SOURCE_DIR and UNINST_BINARY_DIR.
# uninst_fuzz(NAME <target> SOURCES ... LIBS ... CORPUS <dir>)
#   A libFuzzer target (asan tree) and a short regression run over its corpus.
include(GoogleTest)

if(WIN32_BUILD AND WIN_TESTS)
  set(UNINST_TREE win64)
elseif(WIN32_BUILD)
  set(UNINST_TREE win32)
elseif(UNINST_SANITIZE)
  set(UNINST_TREE asan)
else()
  set(UNINST_TREE host)
endif()

function(_uninst_wanted out host_only win_only product)
  set(ok ON)
  if(UNINST_TREE STREQUAL "win32")
    set(ok ${product})
  elseif(product)
    set(ok OFF)
  elseif(host_only AND WIN32_BUILD)
    set(ok OFF)
  elseif(win_only AND NOT WIN32_BUILD)
    set(ok OFF)
  endif()
  set(${out} ${ok} PARENT_SCOPE)
endfunction()

function(uninst_gtest)
  cmake_parse_arguments(T "HOST_ONLY;WIN_ONLY" "NAME" "SOURCES;LIBS;LABELS;ISOLATE" ${ARGN})
  _uninst_wanted(ok "${T_HOST_ONLY}" "${T_WIN_ONLY}" OFF)
  if(NOT ok)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  if(WIN_TESTS)
    # Under Wine every process start costs seconds, so a Windows test binary runs
    # once, all its cases in one process, as one ctest test.
    # Cases named in ISOLATE need a fresh process (process-wide caches) and get
    # one each.
    set(rest "")
    foreach(c IN LISTS T_ISOLATE)
      add_test(NAME "${UNINST_TREE}:${T_NAME}:${c}" COMMAND ${T_NAME} --gtest_filter=${c})
      set_tests_properties("${UNINST_TREE}:${T_NAME}:${c}" PROPERTIES LABELS "${UNINST_TREE};${T_LABELS}" TIMEOUT 900)
      string(APPEND rest ":${c}")
    endforeach()
    if(rest)
      string(SUBSTRING "${rest}" 1 -1 rest)
      set(filter "--gtest_filter=-${rest}")
    else()
      set(filter "--gtest_filter=*")
    endif()
    add_test(NAME "${UNINST_TREE}:${T_NAME}" COMMAND ${T_NAME} --gtest_brief=1 ${filter})
    set_tests_properties("${UNINST_TREE}:${T_NAME}" PROPERTIES LABELS "${UNINST_TREE};${T_LABELS}" TIMEOUT 900)
    return()
  endif()
  # GoogleTest's discovery script cannot carry a list of labels (it splits them
  # into bogus properties), so a discovered test carries its tree's label only;
  # select the tests of a part by name (-R).
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    TEST_PREFIX "${UNINST_TREE}:"
    PROPERTIES LABELS "${UNINST_TREE}" TIMEOUT 300)
endfunction()

function(uninst_script_test)
  cmake_parse_arguments(T "HOST_ONLY;WIN_ONLY;PRODUCT" "NAME;TIMEOUT" "COMMAND;LABELS" ${ARGN})
  _uninst_wanted(ok "${T_HOST_ONLY}" "${T_WIN_ONLY}" "${T_PRODUCT}")
  if(NOT ok)
    return()
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_test(NAME "${UNINST_TREE}:${T_NAME}" COMMAND ${T_COMMAND})
  set_tests_properties("${UNINST_TREE}:${T_NAME}" PROPERTIES
    LABELS "${UNINST_TREE};${T_LABELS}" TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "UNINST_SOURCE_DIR=${CMAKE_SOURCE_DIR};UNINST_BINARY_DIR=${CMAKE_BINARY_DIR}")
endfunction()

function(uninst_fuzz)
  cmake_parse_arguments(F "" "NAME;CORPUS" "SOURCES;LIBS" ${ARGN})
  if(NOT UNINST_FUZZ OR WIN32_BUILD)
    return()
  endif()
  add_executable(${F_NAME} ${F_SOURCES})
  target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  add_test(NAME "asan:fuzz-regression:${F_NAME}"
           COMMAND ${F_NAME} -runs=0 -rss_limit_mb=2048 ${F_CORPUS})
  set_tests_properties("asan:fuzz-regression:${F_NAME}" PROPERTIES LABELS "asan;fuzz" TIMEOUT 300)
endfunction()
