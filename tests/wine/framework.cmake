# The framework layer, in-process with real windows. Its own small templates.
tessaro_add_test(test_framework
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/framework/DialogTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/framework/KeyboardRoutingTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/framework/MessageMapTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/framework/SupportTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/framework/ValuesTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/framework/FrameworkTest.rc
  LIBS tessaro_wine_test_support tessaro_wine_test_app gtest_main
  TIMEOUT 60)
target_include_directories(test_framework PRIVATE ${CMAKE_CURRENT_LIST_DIR}/framework)
