# Configuration: the settings store, the platform XML and channel INI readers,
# the block cipher of the configuration files, and configtool for operators.

add_library(uninst_config STATIC
  config/settings_store.cpp
  config/tea.cpp
  config/ini_loader.cpp
  config/read_config_file.cpp
  config/channel_ini.cpp
  config/xml_nesting.cpp
  config/platform_xml.cpp)
target_link_libraries(uninst_config PUBLIC uninst_fileutil dep::tinyxml dep::iniparser)

add_executable(configtool tools/configtool.cpp)
target_link_libraries(configtool PRIVATE uninst_config)

set(UNINST_CONFIG_TEST_SUPPORT tests/config/test_support.cpp)
uninst_gtest(NAME config_tests
  SOURCES ${UNINST_CONFIG_TEST_SUPPORT}
          tests/config/tea_test.cpp
          tests/config/settings_store_test.cpp
          tests/config/ini_loader_test.cpp
          tests/config/channel_ini_test.cpp
          tests/config/platform_xml_test.cpp
  LIBS uninst_config
  LABELS config)

uninst_fuzz(NAME config_xml_fuzz SOURCES fuzz/config_xml_fuzz.cpp LIBS uninst_config
  CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/config_xml_fuzz)
uninst_fuzz(NAME config_ini_fuzz SOURCES fuzz/config_ini_fuzz.cpp LIBS uninst_config
  CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/config_ini_fuzz)

uninst_script_test(NAME configtool
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/config/configtool_test.sh host $<TARGET_FILE:configtool>
  LABELS config HOST_ONLY)
uninst_script_test(NAME configtool-exe
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/config/configtool_test.sh win $<TARGET_FILE:configtool>
  LABELS config WIN_ONLY)

if(NOT WIN32_BUILD)
  # Not a test: run by hand, prints the ratio to the floor.
  add_executable(bench_config bench/bench_config.cpp)
  target_link_libraries(bench_config PRIVATE uninst_config)
endif()

uninst_gtest(NAME config_posix_tests
  SOURCES ${UNINST_CONFIG_TEST_SUPPORT} tests/config/spare_bytes_test.cpp
  LIBS uninst_config
  LABELS config HOST_ONLY)
