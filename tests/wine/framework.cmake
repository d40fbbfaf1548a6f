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

# The library search limited at start: a library built beside the test
# program stands in for one planted beside the program on a medium.
add_library(kvplanted SHARED ${CMAKE_CURRENT_LIST_DIR}/framework/planted/PlantedLibrary.cpp)
set_target_properties(kvplanted PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY
                                                     ${CMAKE_CURRENT_BINARY_DIR})
tessaro_add_test(test_library_search
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/framework/LibrarySearchTest.cpp
  LIBS tessaro_framework gtest_main
  TIMEOUT 60)
set_target_properties(test_library_search PROPERTIES RUNTIME_OUTPUT_DIRECTORY
                                                     ${CMAKE_CURRENT_BINARY_DIR})
add_dependencies(test_library_search kvplanted)
