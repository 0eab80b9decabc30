# Placement table, picture pass and text pass.
target_sources(stempora_run PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/mark_blend.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/mark_lay.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/mark_sampling.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/mark_size.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/mark_sprite.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/mark_tiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/placement.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/stamp_source.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/stamp_picture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/stamp_picture_options.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/stamp_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/stamp_text_options.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/text_font_qt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/text_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/text_lines.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/text_mark_masks.cpp
)
