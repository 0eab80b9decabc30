# depth promotion: target_sources(stempora_image PRIVATE ...)
