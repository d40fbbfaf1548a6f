# The update data core: line reader, version stamps, package and stamp files.
tessaro_add_test(test_data
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/data_reader_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/data_stamp_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/data_files_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/data_stamp_split_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/data_sha256_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/data_checksum_test.cpp
  LIBS tessaro_data gtest_main
)
