# The run layer without a window, in-process with real files: how a run
# starts (room, then the safety net) and what it installs.
tessaro_add_test(test_run
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/run/InstallationRunTest.cpp
  LIBS tessaro_run tessaro_wine_test_files tessaro_wine_test_app gtest_main
  TIMEOUT 60)
