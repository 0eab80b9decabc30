# Depth promotion and the 32-bit alpha handling.
target_sources(image_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/depth_up_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/alpha_aside_test.cpp
)

# Palette reduction and dithering.
target_sources(image_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/depth_down_test.cpp
)
