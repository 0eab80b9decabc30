# SPDX-License-Identifier: GPL-3.0-or-later
# The preview window's response on a 12-megapixel source.
add_executable(preview_bench EXCLUDE_FROM_ALL
  ${CMAKE_CURRENT_LIST_DIR}/preview_bench.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bench_stamp_job.cpp
  ${CMAKE_CURRENT_LIST_DIR}/watermark_corpus.cpp
)
target_link_libraries(preview_bench PRIVATE stempora_app)
add_dependencies(benchmarks preview_bench)
