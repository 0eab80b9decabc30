# tests of the jpeg reader and writer: target_sources(pixkit_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/jpeg_test.cpp)
