stempora_add_fuzzer(tga_fuzz ${CMAKE_CURRENT_LIST_DIR}/tga_fuzz.cpp tga)
