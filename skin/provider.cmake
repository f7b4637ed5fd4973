# Binding of the image provider (Pictora.dll) and its Wine tests.
add_library(skin_image_provider STATIC image_provider.cpp)
target_link_libraries(skin_image_provider PUBLIC skin_logic win stashly_options)

if(BUILD_TESTING)
  stashly_add_test(skin_image_provider_tests SOURCES tests/image_provider_test.cpp
                   LIBS skin_image_provider test_support_images)
  # The binding looks for Pictora.dll beside the program; the test moves it away and back and
  # swaps in the look-alike with one export missing.
  stashly_lay_beside(skin_image_provider_tests FILES $<TARGET_FILE:Pictora>
                     $<TARGET_FILE:pictora_half_provider>)
endif()
