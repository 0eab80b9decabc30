target_sources(pixkit_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/tiff_memory_io.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tiff_rows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tiff_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tiff_lab.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tiff_writer.cpp
)
