# The settings-file reader lives outside pixkit, so its harness links
# stempora_settings; the fuzz build configures only pixkit and leaves it out.
if(NOT STEMPORA_FUZZ)
  add_executable(stx_fuzz_replay ${CMAKE_CURRENT_LIST_DIR}/stx_fuzz.cpp ${CMAKE_CURRENT_LIST_DIR}/fuzz_replay_main.cpp)
  target_link_libraries(stx_fuzz_replay PRIVATE stempora_settings)
  add_test(NAME stx_fuzz_replay COMMAND stx_fuzz_replay ${CMAKE_SOURCE_DIR}/tests/data/stx)
  set_tests_properties(stx_fuzz_replay PROPERTIES TIMEOUT 300)
endif()
