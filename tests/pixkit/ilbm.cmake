target_sources(pixkit_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ilbm_reader_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ilbm_writer_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ilbm_peer_test.cpp
)
