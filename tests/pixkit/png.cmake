target_sources(pixkit_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/png_reader_test.cpp)
