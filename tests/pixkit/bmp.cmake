target_sources(pixkit_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/bmp_reader_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bmp_writer_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bmp_peer_test.cpp
)
