# The vendor's package tool: its checks on packages made by the tests, build,
# and the program's command line.
tessaro_add_test(test_updpack
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/updpack_support.cpp
    ${CMAKE_CURRENT_LIST_DIR}/updpack_check_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/updpack_build_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/updpack_text_test.cpp
  LIBS tessaro_updpack_core tessaro_data gtest_main
)
