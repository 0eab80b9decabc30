target_sources(pixkit_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/jpeg_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jpeg_writer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jpeg_error.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jpeg_markers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jpeg_orientation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/exif_block.cpp
)
