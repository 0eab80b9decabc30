target_sources(pixkit_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/jp2_codec_test.cpp)
