target_sources(pixkit_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/tiff_codec_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tiff_reader_test.cpp
)
