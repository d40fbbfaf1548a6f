# The run layer without a window, in-process with real files: how a run
# starts (room, then the safety net), what it installs, and the copy checked
# against the package's checksum file with real prompts.
tessaro_add_test(test_run
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/run/InstallationRunTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/run/VerifiedCopyTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fileops/FileopsTestSupport.cpp
  LIBS tessaro_run tessaro_wine_test_support tessaro_wine_test_app gtest_main
  TIMEOUT 120)
target_include_directories(test_run PRIVATE ${CMAKE_CURRENT_LIST_DIR}/fileops)
