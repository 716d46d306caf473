# The uninstall wizard: the removal worker and the folder-safety rules
# (portable), the wizard window and the uninstall procedure (Windows), and
# the end-to-end acceptance tests of the whole program under Wine.
if(TARGET uninst_fileutil)
  add_library(uninst_wizard STATIC
    uninstall/removal_worker.cpp
    uninstall/install_safety.cpp
    uninstall/wizard_rules.cpp)
  target_link_libraries(uninst_wizard PUBLIC uninst_fileutil)

  uninst_gtest(NAME wizard_tests
    SOURCES tests/wizard/removal_worker_test.cpp tests/wizard/install_safety_test.cpp
            tests/wizard/wizard_rules_test.cpp
    LIBS uninst_wizard
    LABELS wizard)
endif()
