# Dependencies come from Debian's packages, never from the repository or the network.
# Natively they are the installed libraries; for MinGW they are built from Debian's sources.

# Where scripts/setup keeps the sources it fetches, by the same rule as there: $STASHLY_CACHE,
# else $XDG_CACHE_HOME/stashly, else ~/.cache/stashly (an empty variable counts as unset).
# Without STASHLY_CACHE, -DSTASHLY_CACHE_DIR=... overrides the rest.
if(NOT "$ENV{STASHLY_CACHE}" STREQUAL "")
  set(STASHLY_CACHE_DIR "$ENV{STASHLY_CACHE}")
elseif(NOT STASHLY_CACHE_DIR)
  if(NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
    set(STASHLY_CACHE_DIR "$ENV{XDG_CACHE_HOME}/stashly")
  else()
    set(STASHLY_CACHE_DIR "$ENV{HOME}/.cache/stashly")
  endif()
endif()

if(STASHLY_TESTS)
  if(CMAKE_CROSSCOMPILING)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    # Its Notification is made of std::mutex and std::condition_variable, which the win32-thread
    # compilers lack: ours comes in through GoogleTest's own customisation header, found on the
    # include path ahead of GoogleTest's (testing/gtest_port).
    target_include_directories(gtest BEFORE PUBLIC ${PROJECT_SOURCE_DIR}/testing/gtest_port)
    target_sources(gtest PRIVATE ${PROJECT_SOURCE_DIR}/testing/gtest_port/notification.cpp)
  else()
    find_package(GTest REQUIRED)
    find_package(benchmark QUIET)
  endif()
endif()

# tinyxml2 parses the skin descriptions: Debian's library natively, Debian's source for MinGW.
if(CMAKE_CROSSCOMPILING)
  if(NOT STASHLY_TINYXML2_DIR)
    set(STASHLY_TINYXML2_DIR "${STASHLY_CACHE_DIR}/tinyxml2")
  endif()
  if(NOT EXISTS "${STASHLY_TINYXML2_DIR}/tinyxml2.cpp")
    message(FATAL_ERROR "tinyxml2 source not found in ${STASHLY_TINYXML2_DIR}: run scripts/setup")
  endif()
  # With the system's printf and scanf for the numbers it reads (and writes, which the skins
  # never do) instead of MinGW's own, whose floating-point code would come into the program.
  add_library(stashly_tinyxml2 STATIC ${CMAKE_SOURCE_DIR}/skin/tinyxml2_unit.cpp
                                      ${CMAKE_SOURCE_DIR}/skin/crt_stdio.c)
  target_include_directories(stashly_tinyxml2 SYSTEM PUBLIC ${STASHLY_TINYXML2_DIR})
  target_include_directories(stashly_tinyxml2 PRIVATE ${CMAKE_SOURCE_DIR})
  set_source_files_properties(${CMAKE_SOURCE_DIR}/skin/crt_stdio.c PROPERTIES
                              COMPILE_DEFINITIONS __USE_MINGW_ANSI_STDIO=0)
else()
  find_package(tinyxml2 REQUIRED)
  add_library(stashly_tinyxml2 INTERFACE)
  target_link_libraries(stashly_tinyxml2 INTERFACE tinyxml2::tinyxml2)
endif()
