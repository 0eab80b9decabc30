target_sources(pixkit_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/tga_header.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tga_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tga_writer.cpp
)
