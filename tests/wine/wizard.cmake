# The wizard in-process: the real application object and wizard, run
# modally over a package and an installation made in the temp folder; and
# the copy on the progress screen, in the file tests' window.
tessaro_add_test(test_wizard
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/wizard/WizardFixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wizard/WizardStartupTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wizard/WizardFlowTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wizard/WizardListLoadTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wizard/WizardRunTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wizard/WizardUnattendedTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wizard/WindowCopyReportTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fileops/FileopsTestSupport.cpp
  LIBS tessaro_app tessaro_wizard tessaro_res tessaro_wine_test_support gtest_main
  TIMEOUT 180
  RESOURCE_LOCK desktop installation-key)
target_include_directories(test_wizard PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/wizard ${CMAKE_CURRENT_LIST_DIR}/fileops)

# The copy checked against the package's checksum file: the installation run
# with its safety net, real files and real prompts.
tessaro_add_test(test_verified_copy
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/fileops/FileopsTestSupport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wizard/VerifiedCopyTest.cpp
  LIBS tessaro_wizard tessaro_wine_test_support tessaro_wine_test_app gtest_main
  TIMEOUT 120)
target_include_directories(test_verified_copy PRIVATE ${CMAKE_CURRENT_LIST_DIR}/fileops)
