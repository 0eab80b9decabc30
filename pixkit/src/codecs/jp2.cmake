target_sources(pixkit_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/jp2_memory_stream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jp2_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jp2_writer.cpp
)
