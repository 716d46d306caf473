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
