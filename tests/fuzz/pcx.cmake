stempora_add_fuzzer(pcx_fuzz ${CMAKE_CURRENT_LIST_DIR}/pcx_fuzz.cpp pcx)
