# placement, picture and text passes: target_sources(stempora_run PRIVATE ...)
