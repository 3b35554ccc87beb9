# The two commands a user needs: `make run` and `make test`.
BUILD_DIR ?= build
SAN_DIR ?= build-sanitize
FUZZ_DIR ?= build-fuzz
CMAKE_FLAGS ?=
JOBS ?= 2
FUZZ_SECONDS ?= 60
ASAN_OPTIONS ?= halt_on_error=1:detect_leaks=1
UBSAN_OPTIONS ?= halt_on_error=1:print_stacktrace=1

.PHONY: run test deps build check fuzz-smoke bench kill-test screenshot clean

run: deps build
	@scripts/run-window.sh $(BUILD_DIR)

# The preview window, on FILE if given: make preview FILE=fonts/k16.bdf
.PHONY: preview
preview: deps build
	$(BUILD_DIR)/preview/kelvane-preview $(FILE)

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

kill-test:
	@scripts/install-deps.sh bench
	scripts/kill-test.sh

screenshot: deps build
	BUILD_DIR=$(BUILD_DIR) scripts/screenshot-window.sh

# The core, bdf2kvn and every non-window test under AddressSanitizer and
# UndefinedBehaviorSanitizer; any finding stops the test that made it.
check: deps
	cmake -S . -B $(SAN_DIR) -G Ninja -DKELVANE_SANITIZE=ON -DKELVANE_BUILD_UI=OFF $(CMAKE_FLAGS)
	cmake --build $(SAN_DIR) --parallel $(JOBS)
	ASAN_OPTIONS=$(ASAN_OPTIONS) UBSAN_OPTIONS=$(UBSAN_OPTIONS) \
	  ctest --test-dir $(SAN_DIR) --output-on-failure --parallel $(JOBS)

# A bounded fuzz run of each target from its seeds (fuzz/README.md tells how to run them for hours).
fuzz-smoke:
	@scripts/install-deps.sh fuzz
	cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DKELVANE_FUZZ=ON -DKELVANE_BUILD_UI=OFF -DKELVANE_BUILD_TESTS=OFF
	cmake --build $(FUZZ_DIR) --parallel $(JOBS) \
	  --target bdf_fuzzer kvn_reader_fuzzer simple_fonts_fuzzer typeface_fuzzer bdf2kvn
	rm -rf $(FUZZ_DIR)/smoke-corpus && cp -r fuzz/corpus $(FUZZ_DIR)/smoke-corpus
	cp examples/*.bdf $(FUZZ_DIR)/smoke-corpus/
	$(FUZZ_DIR)/fuzz/bdf_fuzzer -seed=1 -max_total_time=$(FUZZ_SECONDS) -max_len=16384 \
	  -dict=fuzz/bdf.dict -print_final_stats=1 -artifact_prefix=$(FUZZ_DIR)/ \
	  $(FUZZ_DIR)/smoke-corpus
	rm -rf $(FUZZ_DIR)/kvn-smoke-corpus && mkdir $(FUZZ_DIR)/kvn-smoke-corpus
	for f in fuzz/corpus/*.bdf examples/*.bdf; do \
	  $(FUZZ_DIR)/cli/bdf2kvn -o $(FUZZ_DIR)/kvn-smoke-corpus/$$(basename $$f .bdf).kvn $$f \
	    2>/dev/null || true; done
	$(FUZZ_DIR)/fuzz/kvn_reader_fuzzer -seed=1 -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	  -print_final_stats=1 -artifact_prefix=$(FUZZ_DIR)/ $(FUZZ_DIR)/kvn-smoke-corpus
	for reader in simple_fonts typeface; do \
	  rm -rf $(FUZZ_DIR)/$$reader-smoke-corpus && cp -r fuzz/corpus-$${reader%_fonts} $(FUZZ_DIR)/$$reader-smoke-corpus && \
	  $(FUZZ_DIR)/fuzz/$${reader}_fuzzer -seed=1 -max_total_time=$(FUZZ_SECONDS) -max_len=8192 \
	    -print_final_stats=1 -artifact_prefix=$(FUZZ_DIR)/ $(FUZZ_DIR)/$$reader-smoke-corpus \
	    || exit 1; done

clean:
	rm -rf $(BUILD_DIR) $(SAN_DIR) $(FUZZ_DIR)
