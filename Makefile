# The two commands a user needs: `make run` and `make test`.
BUILD_DIR ?= build
SAN_DIR ?= build-sanitize
FUZZ_DIR ?= build-fuzz
CMAKE_FLAGS ?=

.PHONY: run test deps build check fuzz-smoke bench screenshot clean

run: deps build
	@scripts/run-window.sh $(BUILD_DIR)

test: deps build
	ctest --test-dir $(BUILD_DIR) --output-on-failure

deps:
	@scripts/install-deps.sh build

build:
	cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR)

bench:
	@scripts/install-deps.sh bench
	bench/run.sh

clean:
	rm -rf $(BUILD_DIR) $(SAN_DIR) $(FUZZ_DIR)
