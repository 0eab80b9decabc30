stempora_add_fuzzer(jpeg_fuzz ${CMAKE_CURRENT_LIST_DIR}/jpeg_fuzz.cpp jpeg)
stempora_add_fuzzer(exif_fuzz ${CMAKE_CURRENT_LIST_DIR}/exif_fuzz.cpp jpeg)
stempora_add_fuzzer(capture_fuzz ${CMAKE_CURRENT_LIST_DIR}/capture_fuzz.cpp jpeg)
