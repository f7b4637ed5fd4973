# Pure logic of the skin engine: skin_logic and its native tests and fuzz targets.
add_library(skin_logic STATIC
  ${CMAKE_CURRENT_LIST_DIR}/markup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/skin_description.cpp
  ${CMAKE_CURRENT_LIST_DIR}/skin_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/image_variant.cpp)
target_link_libraries(skin_logic PUBLIC core_logic stashly_tinyxml2)

if(NOT WIN32)
  stashly_add_test(skin_logic_tests
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/tests/markup_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/tests/skin_description_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/tests/skin_layout_test.cpp
    LIBS skin_logic test_support_iconv)

  stashly_add_fuzzer(skin_description_fuzz
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/fuzz/skin_description_fuzz.cpp
      ${CMAKE_CURRENT_LIST_DIR}/skin_description.cpp
      ${CMAKE_CURRENT_LIST_DIR}/skin_layout.cpp
      ${PROJECT_SOURCE_DIR}/core/utf8.cpp
      ${PROJECT_SOURCE_DIR}/testing/iconv_codec.cpp
    CORPUS ${CMAKE_CURRENT_LIST_DIR}/fuzz/corpus/skin_description)
  if(TARGET skin_description_fuzz)
    target_link_libraries(skin_description_fuzz PRIVATE stashly_tinyxml2)
  endif()

  stashly_add_fuzzer(markup_fuzz
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/fuzz/markup_fuzz.cpp
      ${CMAKE_CURRENT_LIST_DIR}/markup.cpp
      ${CMAKE_CURRENT_LIST_DIR}/skin_layout.cpp
      ${PROJECT_SOURCE_DIR}/core/utf8.cpp
    CORPUS ${CMAKE_CURRENT_LIST_DIR}/fuzz/corpus/markup)
endif()
