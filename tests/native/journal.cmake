# The update journal's text form and path checks: portable, so they run here
# under the sanitizers; the safety net around them is tested under Wine.
tessaro_add_test(test_journal
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/journal_test.cpp
    ${PROJECT_SOURCE_DIR}/src/fileops/UpdateJournal.cpp
    ${PROJECT_SOURCE_DIR}/src/fileops/PathRules.cpp
  LIBS gtest_main
)
target_include_directories(test_journal PRIVATE ${PROJECT_SOURCE_DIR}/src)
