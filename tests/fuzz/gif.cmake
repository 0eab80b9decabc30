stempora_add_fuzzer(gif_fuzz ${CMAKE_CURRENT_LIST_DIR}/gif_fuzz.cpp gif)
