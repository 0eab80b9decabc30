target_sources(pixkit_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/tga_roundtrip_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tga_decode_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tga_peer_test.cpp
)
