# promotion tests: target_sources(image_tests PRIVATE ...)
