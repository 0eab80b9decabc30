target_sources(pixkit_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/gif_codec_test.cpp)
