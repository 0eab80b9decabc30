stempora_add_fuzzer(bmp_fuzz ${CMAKE_CURRENT_LIST_DIR}/bmp_fuzz.cpp bmp)
