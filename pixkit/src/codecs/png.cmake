target_sources(pixkit_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/png_reader.cpp
)
