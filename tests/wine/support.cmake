# Files, folders and held files for every Windows test, in-process or driving
# the program from outside (tests/e2e): plain Win32, no framework, no app.
add_library(tessaro_wine_test_files STATIC
  ${CMAKE_CURRENT_LIST_DIR}/support/ExclusiveHold.cpp
  ${CMAKE_CURRENT_LIST_DIR}/support/TempFolder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/support/TestFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/support/UnixLink.cpp)
target_include_directories(tessaro_wine_test_files PUBLIC ${CMAKE_CURRENT_LIST_DIR}/support)

# Shared support for the in-process Windows tests: see support/WineTestSupport.h.
add_library(tessaro_wine_test_support STATIC
  ${CMAKE_CURRENT_LIST_DIR}/support/ControlProbe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/support/FlushEvents.cpp
  ${CMAKE_CURRENT_LIST_DIR}/support/MessageBoxAnswerer.cpp)
target_include_directories(tessaro_wine_test_support PUBLIC ${CMAKE_CURRENT_LIST_DIR}/support)
target_link_libraries(tessaro_wine_test_support PUBLIC tessaro_framework tessaro_wine_test_files)

# The application object: linked directly into each test program (objects of
# an object library are not passed on through other libraries).
add_library(tessaro_wine_test_app OBJECT ${CMAKE_CURRENT_LIST_DIR}/support/TestApp.cpp)
target_link_libraries(tessaro_wine_test_app PUBLIC tessaro_framework)
