stempora_add_fuzzer(tiff_fuzz ${CMAKE_CURRENT_LIST_DIR}/tiff_fuzz.cpp tiff)
# The capture-field reader walks TIFF directories too.
add_test(NAME capture_fuzz_tiff_replay COMMAND capture_fuzz_replay ${CMAKE_SOURCE_DIR}/tests/data/tiff)
set_tests_properties(capture_fuzz_tiff_replay PROPERTIES TIMEOUT 300)
