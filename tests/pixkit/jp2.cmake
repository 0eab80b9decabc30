# tests of the jp2 reader and writer: target_sources(pixkit_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/jp2_test.cpp)
