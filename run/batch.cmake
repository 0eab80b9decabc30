# batch loop: target_sources(stempora_run PRIVATE ...)
target_sources(stempora_run PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/output_path.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/overwrite_guard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/batch_run.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/worker_limit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/log_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/failure_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/text_variables.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/source_facts.cpp
)
