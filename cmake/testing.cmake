# Test registration. Natively a test program runs as it is; a Windows one runs under the build
# tree's Wine session (cmake/wine-run), which ctest sets up once and shuts down after the run.
include(CTest)

set(STASHLY_TEST_RESULTS ${PROJECT_BINARY_DIR}/test-results)
file(MAKE_DIRECTORY ${STASHLY_TEST_RESULTS})

if(CMAKE_CROSSCOMPILING AND BUILD_TESTING)
  add_test(NAME wine.session.start
           COMMAND ${PROJECT_SOURCE_DIR}/cmake/wine-session start ${PROJECT_BINARY_DIR})
  add_test(NAME wine.session.stop
           COMMAND ${PROJECT_SOURCE_DIR}/cmake/wine-session stop ${PROJECT_BINARY_DIR})
  set_tests_properties(wine.session.start PROPERTIES FIXTURES_SETUP wine)
  set_tests_properties(wine.session.stop PROPERTIES FIXTURES_CLEANUP wine)

  # The maker's web server, stood in for by a small HTTP server on the loopback interface. Each
  # bitness has a port of its own, so the two Windows trees can be tested at the same time; a
  # second checkout tested beside this one gives its own (-DSTASHLY_LOOPBACK_PORT=...).
  if(NOT STASHLY_LOOPBACK_PORT)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      set(STASHLY_LOOPBACK_PORT 18732)
    else()
      set(STASHLY_LOOPBACK_PORT 18764)
    endif()
  endif()
  set(STASHLY_LOOPBACK_DIR ${PROJECT_BINARY_DIR}/loopback)
  add_test(NAME loopback.start COMMAND python3 ${PROJECT_SOURCE_DIR}/testing/loopback_server.py
           start ${STASHLY_LOOPBACK_DIR} ${STASHLY_LOOPBACK_PORT})
  add_test(NAME loopback.stop COMMAND python3 ${PROJECT_SOURCE_DIR}/testing/loopback_server.py
           stop ${STASHLY_LOOPBACK_DIR})
  set_tests_properties(loopback.start PROPERTIES FIXTURES_SETUP loopback)
  set_tests_properties(loopback.stop PROPERTIES FIXTURES_CLEANUP loopback)
endif()

# stashly_add_signing(<fixture> [<certificate> <input> <output>]...)
# A test that makes throw-away code-signing certificates and signs files with them
# (testing/sign-for-tests), run before every suite that names <fixture> in its FIXTURES.
function(stashly_add_signing fixture)
  if(NOT BUILD_TESTING)
    return()
  endif()
  add_test(NAME ${fixture} COMMAND ${PROJECT_SOURCE_DIR}/testing/sign-for-tests
           ${CMAKE_CURRENT_BINARY_DIR}/${fixture} ${ARGN})
  set_tests_properties(${fixture} PROPERTIES FIXTURES_SETUP ${fixture})
endfunction()

# stashly_add_test(<name> SOURCES ... [LIBS ...] [FIXTURES ...] [CODEPAGES | MIXED_CODEPAGES]
#                  [NO_MAIN] [LOOPBACK])
# A GoogleTest program and one ctest entry for it. Under Wine the program runs with the ANSI
# code page 1252; CODEPAGES adds a second entry that runs it under 936; MIXED_CODEPAGES adds two
# more, where the user's code page (the thread's) differs from the system's ANSI one, as when a
# user's Formats differ from the system locale: 1252 with 936 (.cp1252t936) and the reverse.
# LOOPBACK runs it with the loopback HTTP server up (testing/loopback.h finds it); FIXTURES names
# further set-up tests.
function(stashly_add_test name)
  cmake_parse_arguments(T "CODEPAGES;MIXED_CODEPAGES;NO_MAIN;LOOPBACK" "" "SOURCES;LIBS;FIXTURES" ${ARGN})
  if(NOT BUILD_TESTING)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest stashly_options)
  if(NOT T_NO_MAIN)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  if(CMAKE_CROSSCOMPILING)
    # ANSI code page:its locale[:the user's locale, when it differs]
    set(runs "1252:en_US.UTF-8")
    if(T_CODEPAGES OR T_MIXED_CODEPAGES)
      list(APPEND runs "936:zh_CN.UTF-8")
    endif()
    if(T_MIXED_CODEPAGES)
      list(APPEND runs "1252t936:en_US.UTF-8:zh_CN.UTF-8" "936t1252:zh_CN.UTF-8:en_US.UTF-8")
    endif()
    foreach(run IN LISTS runs)
      string(REPLACE ":" ";" parts ${run})
      list(GET parts 0 pages)
      list(GET parts 1 lang)
      string(REGEX REPLACE "t.*" "" acp ${pages})
      set(test ${name})
      if(T_CODEPAGES OR T_MIXED_CODEPAGES)
        set(test ${name}.cp${pages})
      endif()
      set(fixtures wine ${T_FIXTURES})
      set(environment "STASHLY_LANG=${lang};STASHLY_EXPECT_ACP=${acp};GTEST_OUTPUT=xml:Z:${STASHLY_TEST_RESULTS}/${test}.xml")
      list(LENGTH parts fields)
      if(fields GREATER 2)
        list(GET parts 2 messages)
        list(APPEND environment "STASHLY_LANG_MESSAGES=${messages}")
      endif()
      if(T_LOOPBACK)
        list(APPEND fixtures loopback)
        list(APPEND environment "STASHLY_LOOPBACK_PORT=${STASHLY_LOOPBACK_PORT}"
             "STASHLY_LOOPBACK_DIR=${STASHLY_LOOPBACK_DIR}")
      endif()
      add_test(NAME ${test} COMMAND ${name})
      set_tests_properties(${test} PROPERTIES
        FIXTURES_REQUIRED "${fixtures}"
        SKIP_RETURN_CODE 77
        RESOURCE_LOCK wine-user-state
        ENVIRONMENT "${environment}")
    endforeach()
  else()
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
      ENVIRONMENT "GTEST_OUTPUT=xml:${STASHLY_TEST_RESULTS}/${name}.xml")
  endif()
endfunction()

# stashly_add_fuzzer(<name> SOURCES ... [CORPUS dir])
# A libFuzzer target (clang only). The code under test is compiled into it, so that it carries
# the coverage instrumentation the fuzzer steers by. A short run is part of the native suite;
# run the program by hand for a long one.
# Every target is also listed in fuzz-targets.txt (name, program, seed corpus) for scripts/fuzz.
file(WRITE ${PROJECT_BINARY_DIR}/fuzz-targets.txt "")
function(stashly_add_fuzzer name)
  cmake_parse_arguments(F "" "CORPUS" "SOURCES" ${ARGN})
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    return()
  endif()
  file(APPEND ${PROJECT_BINARY_DIR}/fuzz-targets.txt
       "${name}\t${CMAKE_CURRENT_BINARY_DIR}/${name}\t${F_CORPUS}\n")
  add_executable(${name} ${F_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined -g)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${name} PRIVATE stashly_options)
  if(BUILD_TESTING)
    set(work ${PROJECT_BINARY_DIR}/fuzz-corpus/${name})
    file(MAKE_DIRECTORY ${work})
    add_test(NAME ${name}.short
             COMMAND ${name} -runs=100000 -max_len=4096 -timeout=10 ${work} ${F_CORPUS})
  endif()
endfunction()
