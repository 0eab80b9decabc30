stempora_add_fuzzer(ilbm_fuzz ${CMAKE_CURRENT_LIST_DIR}/ilbm_fuzz.cpp ilbm)
