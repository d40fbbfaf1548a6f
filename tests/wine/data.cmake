# The registry lookup, the program folder paths and the stamp file write,
# against the real Wine registry and file system.
tessaro_add_test(test_data_win
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/data_registry_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/data_program_folder_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/data_stamp_write_test.cpp
    # The Linux build's SHA-256 examples, here against the system's CNG.
    ${CMAKE_SOURCE_DIR}/tests/native/data_sha256_test.cpp
  LIBS tessaro_data tessaro_wine_test_files gtest_main
  TIMEOUT 120
  # The installation's registry key, which the wizard and end-to-end tests
  # write too (their runs side by side failed). Without windows, but kept
  # off the desktop's turn as well: in one of three runs beside it the
  # copier tests could not make their first temp folder, cause not found.
  RESOURCE_LOCK desktop installation-key)
