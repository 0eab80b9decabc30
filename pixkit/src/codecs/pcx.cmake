target_sources(pixkit_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/pcx_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pcx_writer.cpp
)
