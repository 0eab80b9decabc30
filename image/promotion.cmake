# Depth promotion and the 32-bit alpha handling.
target_sources(stempora_image PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/depth_up.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/alpha_aside.cpp
)
