# batch tests: target_sources(run_tests PRIVATE ...)
target_sources(run_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/batch_scratch_folder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/batch_output_path_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/batch_overwrite_guard_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/batch_run_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/batch_workers_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_variables_test.cpp
)
