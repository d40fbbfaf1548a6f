# The registry lookup, the program folder paths and the stamp file write,
# against the real Wine registry and file system.
tessaro_add_test(test_data_win
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/data_registry_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/data_program_folder_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/data_stamp_write_test.cpp
  LIBS tessaro_data tessaro_wine_test_files gtest_main
  TIMEOUT 120
  # No windows, but the installation's registry key, which the wizard and
  # end-to-end tests write too (their runs side by side failed).
  RESOURCE_LOCK installation-key)
