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

# The safety net of an update run: crashes after every change, recovery,
# rollback with held files, refused journals, long paths and links. Retry
# timings divided by 20, so a held file costs a quarter of a second.
tessaro_add_test(test_install_transaction
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/fileops/FileopsTestSupport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fileops/InstallTransactionTest.cpp
  LIBS tessaro_fileops tessaro_wine_test_support tessaro_wine_test_app gtest_main
  TIMEOUT 300)
set_tests_properties(test_install_transaction PROPERTIES ENVIRONMENT "KVELMORA_TIME_DIVISOR=20")
