# The program's resources as the running module carries them.
tessaro_add_test(test_resources
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/test_resources_reader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_resources_dialogs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_resources_images.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_resources_version.cpp
  LIBS tessaro_res gtest_main version comctl32
  TIMEOUT 60
  # Reads its own module; its dialogs are never shown or focused. Seen to
  # pass beside every other Windows test.
  RESOURCE_LOCK NONE)
