# SPDX-License-Identifier: GPL-3.0-or-later
# Stamping cost next to the codec (bench/watermark-bench.sh runs it).
find_package(Qt6 REQUIRED COMPONENTS Gui)
add_executable(watermark_bench EXCLUDE_FROM_ALL
  ${CMAKE_CURRENT_LIST_DIR}/watermark_bench.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bench_stamp_job.cpp
  ${CMAKE_CURRENT_LIST_DIR}/watermark_corpus.cpp
)
target_link_libraries(watermark_bench PRIVATE stempora_run stempora_image pixkit Qt6::Gui)
add_dependencies(benchmarks watermark_bench)

# Palette reduction next to the GIF encode of its result.
add_executable(reduce_bench EXCLUDE_FROM_ALL
  ${CMAKE_CURRENT_LIST_DIR}/reduce_bench.cpp
  ${CMAKE_CURRENT_LIST_DIR}/watermark_corpus.cpp
)
target_link_libraries(reduce_bench PRIVATE stempora_image pixkit)
add_dependencies(benchmarks reduce_bench)
