# The bitmap panel and the wizard pages, in-process on windows made from the
# program's own templates.
tessaro_add_test(test_pages
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/pages/BitmapPanelTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/pages/PageContentTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/pages/PageHost.cpp
    ${CMAKE_CURRENT_LIST_DIR}/pages/PageKeyboardTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/pages/UpdateTreeTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/pages/PagesTest.rc
  LIBS tessaro_pages tessaro_res tessaro_wine_test_support tessaro_wine_test_app gtest_main
  TIMEOUT 120)
target_include_directories(test_pages PRIVATE ${CMAKE_CURRENT_LIST_DIR}/pages)
