# The administrators' command line and exit codes: portable, so the parser's
# bounds are checked under the sanitizers.
tessaro_add_test(test_admin
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/admin_command_line_test.cpp
    ${PROJECT_SOURCE_DIR}/src/app/CommandLine.cpp
    ${PROJECT_SOURCE_DIR}/src/app/ExitCodes.cpp
  LIBS tessaro_data gtest_main
)
target_include_directories(test_admin PRIVATE
  ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/src/app ${PROJECT_SOURCE_DIR}/src/run)
