target_sources(pixkit_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/gif_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gif_writer.cpp
)
