# SPDX-License-Identifier: GPL-3.0-or-later
# The export job (size, format) next to full size and to libvips
# (bench/run-benchmarks.sh runs it).
find_package(Qt6 REQUIRED COMPONENTS Gui)
add_executable(export_bench EXCLUDE_FROM_ALL
  ${CMAKE_CURRENT_LIST_DIR}/export_bench.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bench_stamp_job.cpp
)
target_link_libraries(export_bench PRIVATE stempora_run stempora_image pixkit Qt6::Gui)
add_dependencies(benchmarks export_bench make_photo_corpus)
