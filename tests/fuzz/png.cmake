stempora_add_fuzzer(png_fuzz ${CMAKE_CURRENT_LIST_DIR}/png_fuzz.cpp png)
