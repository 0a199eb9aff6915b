# SPDX-License-Identifier: MIT
# zelvorandine_add_test(NAME <name> SOURCES <files...> LABEL unit|widget|e2e [LIBS <libs...>] [TIMEOUT <s>])
# Builds one Qt Test executable and registers it with ctest, offscreen, with a private HOME so that
# settings written by a test never touch the user's own.
function(zelvorandine_add_test)
  cmake_parse_arguments(T "" "NAME;LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  if(NOT T_LIBS)
    set(T_LIBS zelvorandine_ui)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} Qt6::Test)
  target_compile_definitions(${T_NAME} PRIVATE ZELVORANDINE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  set(home ${CMAKE_BINARY_DIR}/test-home/${T_NAME})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  math(EXPR guard "${T_TIMEOUT} * 1000 - 5000")
  set_tests_properties(${T_NAME} PROPERTIES
    LABELS ${T_LABEL}
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;HOME=${home};XDG_CONFIG_HOME=${home}/.config;QTEST_FUNCTION_TIMEOUT=${guard};LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp;ASAN_OPTIONS=detect_leaks=1")
endfunction()
