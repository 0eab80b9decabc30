target_sources(pixkit_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/bmp_header.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bmp_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bmp_rle_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bmp_writer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bmp_rle_writer.cpp
)
