# Placement table, picture pass and text pass.
target_sources(run_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/mark_tiles_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/placement_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stamp_picture_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stamp_picture_options_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stamp_picture_pipeline_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stamp_text_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stamp_text_options_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stamp_text_mask_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stamp_text_lines_test.cpp
)
