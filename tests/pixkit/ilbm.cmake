# tests of the ilbm reader and writer: target_sources(pixkit_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ilbm_test.cpp)
