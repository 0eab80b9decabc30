target_sources(pixkit_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ilbm_byte_run.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ilbm_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ilbm_writer.cpp
)
