# The tree copier (through the safety net), the size walk and the message
# pump, in-process with real files in the temp folder, a real window owning
# real prompts answered by a CBT hook.
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

# A tree with host symbolic links, which Wine shows as reparse points. Its
# files hold 10 and 1500 bytes; its links lead to its own folders, to a
# folder beside it holding 700 bytes, and nowhere. Made here once and only
# read by the test: the Windows test helpers cannot remove a host link to a
# folder, so a tree made in the temp folder on every run would stay behind.
set(link_tree ${CMAKE_CURRENT_BINARY_DIR}/fileops-link-tree)
file(REMOVE_RECURSE ${link_tree} ${link_tree}-outside)
string(REPEAT "y" 700 seven_hundred)
file(MAKE_DIRECTORY ${link_tree}/sub ${link_tree}-outside)
file(WRITE ${link_tree}-outside/c "${seven_hundred}")
file(WRITE ${link_tree}/a "0123456789")
string(REPEAT "x" 1500 fifteen_hundred)
file(WRITE ${link_tree}/sub/b "${fifteen_hundred}")
file(CREATE_LINK .. ${link_tree}/sub/up SYMBOLIC)
file(CREATE_LINK . ${link_tree}/self SYMBOLIC)
file(CREATE_LINK missing ${link_tree}/broken SYMBOLIC)
file(CREATE_LINK ${link_tree}-outside ${link_tree}/elsewhere SYMBOLIC)
target_compile_definitions(test_fileops PRIVATE TESSARO_LINK_TREE="${link_tree}")
