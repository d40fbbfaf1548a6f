# tessaro_add_test(NAME SOURCES ... LIBS ... [TIMEOUT seconds]
#                  [RESOURCE_LOCK name... | RESOURCE_LOCK NONE])
# One GoogleTest program, registered as one CTest test. In the Windows
# builds CTest starts it through the cross-compiling emulator (wine64).
# Every test has a time bound: a message box nobody answers never ends.
#
# CTest runs tests side by side (scripts/test.sh passes -j). Tests that name
# the same lock never overlap. Under Wine every test holds "desktop" unless
# it names its own locks: windows of two programs on the one virtual desktop
# take the focus and the foreground from each other, and a new test is kept
# apart until it has been seen to run beside the others. The locks in use:
#   desktop           windows, focus or message boxes on the Wine desktop
#   installation-key  HKLM\SOFTWARE\Vantrel\Tessaro\VERS0002 in the prefix
# RESOURCE_LOCK NONE: the test touches nothing another test uses.
#
# Each program writes its GoogleTest report to test-results/NAME.xml in the
# build tree; scripts/count-tests.py counts the test cases from it.
# The one precompiled header of the test programs, made on first use.
function(tessaro_test_headers)
  if(TARGET tessaro_test_pch)
    return()
  endif()
  set(anchor ${CMAKE_BINARY_DIR}/tessaro_test_pch.cpp)
  file(WRITE ${anchor} "// Compiles the test programs' precompiled header once.\n")
  add_library(tessaro_test_pch OBJECT ${anchor})
  target_link_libraries(tessaro_test_pch PRIVATE gtest)
  set(headers "$<$<COMPILE_LANGUAGE:CXX>:<gtest/gtest.h$<ANGLE-R>>")
  if(WIN32)
    list(PREPEND headers "$<$<COMPILE_LANGUAGE:CXX>:<windows.h$<ANGLE-R>>")
  endif()
  target_precompile_headers(tessaro_test_pch PRIVATE ${headers})
endfunction()

function(tessaro_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;RESOURCE_LOCK" ${ARGN})
  if(T_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "tessaro_add_test(${name}): unknown arguments ${T_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  if(NOT DEFINED T_RESOURCE_LOCK AND NOT "RESOURCE_LOCK" IN_LIST T_KEYWORDS_MISSING_VALUES)
    if(WIN32)
      set(T_RESOURCE_LOCK desktop)
    endif()
  endif()
  list(REMOVE_ITEM T_RESOURCE_LOCK NONE)

  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS})
  # GoogleTest's and Windows' headers were most of every test file's compile
  # time: they are precompiled once for all the test programs. They come
  # first in every C++ file of a test, so a header that must precede
  # <windows.h> (winsock2.h) cannot be used in tests.
  tessaro_test_headers()
  target_precompile_headers(${name} REUSE_FROM tessaro_test_pch)
  # Wine takes "/work/..." as a path on the current drive: name Z: for it.
  set(report ${CMAKE_BINARY_DIR}/test-results/${name}.xml)
  if(WIN32)
    set(report Z:${report})
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=0 --gtest_output=xml:${report})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  # The test's folder under tests/ names how it runs (native, wine, e2e):
  # the test command runs the end-to-end programs in a Wine of their own.
  get_filename_component(lane ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set_tests_properties(${name} PROPERTIES LABELS ${lane})
  if(T_RESOURCE_LOCK)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_RESOURCE_LOCK}")
  endif()
endfunction()
