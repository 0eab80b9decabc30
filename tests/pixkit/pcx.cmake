target_sources(pixkit_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/pcx_roundtrip_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pcx_decode_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pcx_peer_test.cpp
)
