target_sources(pixkit_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/jpeg_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jpeg_writer.cpp
)
