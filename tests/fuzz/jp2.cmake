stempora_add_fuzzer(jp2_fuzz ${CMAKE_CURRENT_LIST_DIR}/jp2_fuzz.cpp jp2)
