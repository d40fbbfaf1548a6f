# The tree copier, the size walk and the message pump, in-process with real
# files in the temp folder, a real window with a progress bar and a status
# line, and real prompts answered by a CBT hook.
tessaro_add_test(test_fileops
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/fileops/FileopsTestSupport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fileops/TreeCopierTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fileops/CopierFailureTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fileops/CopierEntryTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fileops/SizeAndPumpTest.cpp
  LIBS tessaro_fileops tessaro_wine_test_support tessaro_wine_test_app gtest_main
  TIMEOUT 180)
