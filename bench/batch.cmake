# SPDX-License-Identifier: GPL-3.0-or-later
# The batch run on several workers: speed next to one worker and to
# djpeg | cjpeg, peak memory, and time per picture over long lists.
find_package(Qt6 REQUIRED COMPONENTS Gui)
add_executable(batch_bench EXCLUDE_FROM_ALL
  ${CMAKE_CURRENT_LIST_DIR}/batch_bench.cpp
  ${CMAKE_CURRENT_LIST_DIR}/batch_bench_job.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bench_stamp_job.cpp
  ${CMAKE_CURRENT_LIST_DIR}/child_process.cpp
  ${CMAKE_CURRENT_LIST_DIR}/watermark_corpus.cpp
)
target_link_libraries(batch_bench PRIVATE stempora_run stempora_image pixkit Qt6::Gui)
add_dependencies(benchmarks batch_bench)
