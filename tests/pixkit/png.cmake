# tests of the png reader and writer: target_sources(pixkit_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/png_test.cpp)
