# SPDX-License-Identifier: GPL-3.0-or-later
# JPEG codec benchmark: a generated photo corpus, and Pixkit's load + save
# of it, timed by run-benchmarks.sh against djpeg | cjpeg.
add_executable(make_photo_corpus EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/make_photo_corpus.cpp)
target_link_libraries(make_photo_corpus PRIVATE pixkit)
add_executable(codec_jpeg_bench EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/codec_jpeg_bench.cpp)
target_link_libraries(codec_jpeg_bench PRIVATE pixkit)
add_dependencies(benchmarks make_photo_corpus codec_jpeg_bench)

# The run keeping a JPEG's untouched blocks next to the ordinary run,
# djpeg | cjpeg and jpegtran (step_jpeg_blocks).
find_package(Qt6 REQUIRED COMPONENTS Gui)
add_executable(jpeg_blocks_bench EXCLUDE_FROM_ALL
  ${CMAKE_CURRENT_LIST_DIR}/jpeg_blocks_bench.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bench_stamp_job.cpp
)
target_link_libraries(jpeg_blocks_bench PRIVATE stempora_run stempora_image pixkit Qt6::Gui)
add_dependencies(benchmarks jpeg_blocks_bench)
