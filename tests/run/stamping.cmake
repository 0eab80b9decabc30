# stamping tests: target_sources(run_tests PRIVATE ...)
