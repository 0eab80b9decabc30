target_sources(pixkit_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/jpeg_peer_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jpeg_metadata_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jpeg_damaged_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/exif_block_test.cpp
)
