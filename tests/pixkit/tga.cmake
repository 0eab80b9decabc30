# tests of the tga reader and writer: target_sources(pixkit_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/tga_test.cpp)
