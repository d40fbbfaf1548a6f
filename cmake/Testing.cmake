# tessaro_add_test(NAME SOURCES ... LIBS ... [TIMEOUT seconds])
# One GoogleTest program, registered as one CTest test. In the Windows
# builds CTest starts it through the cross-compiling emulator (wine64).
# Every test has a time bound: a message box nobody answers never ends.
function(tessaro_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=0)
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()
