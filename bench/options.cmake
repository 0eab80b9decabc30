# SPDX-License-Identifier: GPL-3.0-or-later
# The watermark options next to the plain job (bench/run-benchmarks.sh runs it).
find_package(Qt6 REQUIRED COMPONENTS Gui)
find_package(Threads REQUIRED)
add_executable(options_bench EXCLUDE_FROM_ALL
  ${CMAKE_CURRENT_LIST_DIR}/options_bench.cpp
  ${CMAKE_CURRENT_LIST_DIR}/watermark_corpus.cpp
)
target_link_libraries(options_bench PRIVATE stempora_run stempora_image pixkit Qt6::Gui Threads::Threads)
add_dependencies(benchmarks options_bench)
