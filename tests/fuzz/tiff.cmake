stempora_add_fuzzer(tiff_fuzz ${CMAKE_CURRENT_LIST_DIR}/tiff_fuzz.cpp tiff)
