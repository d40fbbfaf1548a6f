# What administrators rely on, in-process: the log's lines and the answers
# given when nobody is at the screen, with real files and held files.
tessaro_add_test(test_admin_inproc
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/admin/UpdateLogTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/admin/UnattendedCopyTest.cpp
  LIBS tessaro_app tessaro_wine_test_support tessaro_wine_test_app gtest_main
  TIMEOUT 120)
