# batch loop: target_sources(stempora_run PRIVATE ...)
