# Thin wrapper over CMake. `make run` and `make test` do all the set-up on a
# fresh Debian 12 machine.
BUILD_DIR ?= build
ASAN_DIR ?= build-asan
FUZZ_DIR ?= build-fuzz
TSAN_DIR ?= build-tsan
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 15

.PHONY: deps cluster-deps build run test test-release test-asan test-tsan fuzz-smoke test-cluster test-package bench package clean

deps:
	@bash scripts/install-deps.sh

cluster-deps:
	@bash scripts/install-cluster-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@bash scripts/start.sh $(BUILD_DIR)

test: test-release test-asan test-tsan fuzz-smoke test-cluster test-package

test-release: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSTEMPORA_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(ASAN_DIR) -j $(JOBS)
	cd $(ASAN_DIR) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

# The batch run and its passes under ThreadSanitizer: several workers share
# one job, the library and Qt's font machinery.
test-tsan: deps
	cmake -S . -B $(TSAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTEMPORA_TSAN=ON -DSTEMPORA_GUI=OFF $(CMAKE_FLAGS)
	cmake --build $(TSAN_DIR) -j $(JOBS) --target run_tests
	cd $(TSAN_DIR) && QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/tests/tsan.supp" \
	  ./bin/run_tests --gtest_filter='Batch*:*Stamp*'

# The README's Slurm array job and GNU parallel recipes, as printed there,
# must write exactly what the whole job writes: on a one-node Slurm cluster
# the test starts on localhost (as root, through sudo otherwise), and with
# the recipe's ssh nodes as job slots on this machine. About 15 s.
test-cluster: build cluster-deps
	@bash tests/cluster/recipes_test.sh $(BUILD_DIR)

fuzz-smoke: deps
	@bash scripts/fuzz-smoke.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

# The Debian packages built twice: identical bytes, lintian, contents,
# exported symbols, hardening, and the programs answering.
test-package: deps
	@bash tests/install/package_checks.sh $(CURDIR) $(BUILD_DIR)/package-checks

# The Debian packages stempora, libpixkit1 and libpixkit-dev (and their
# -dbgsym packages), built by dpkg-buildpackage from a copy of the tree.
package: deps
	@bash scripts/build-packages.sh $(BUILD_DIR)/packages

bench: build
	cmake --build $(BUILD_DIR) --target benchmarks
	@bash bench/run-benchmarks.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(TSAN_DIR) $(FUZZ_DIR)
