# The two commands a user needs: `make run` and `make test`.
BUILD_DIR ?= build
SAN_DIR ?= build-sanitize
FUZZ_DIR ?= build-fuzz
DEB_DIR ?= build-deb
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
# UndefinedBehaviorSanitizer; any finding stops the test that made it. Built as
# Debug (assertions on, -O1 to keep it quick), so kvn diff's output is also
# compared with that of the `make test` build's kvn.
check: deps build
	cmake -S . -B $(SAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS_DEBUG="-g -O1" \
	  -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DKELVANE_SANITIZE=ON -DKELVANE_BUILD_UI=OFF $(CMAKE_FLAGS)
	cmake --build $(SAN_DIR) --parallel $(JOBS)
	KELVANE_OTHER_KVN=$(abspath $(BUILD_DIR))/cli/kvn \
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

# The Debian package $(DEB_DIR)/kelvane_VERSION_ARCH.deb: a Release build for
# /usr with the manual pages (scripts/deb-check.sh installs and checks it), and
# with Debian's hardening flags.
.PHONY: deb
deb: export DEB_BUILD_MAINT_OPTIONS = hardening=+all
deb: export DEB_CFLAGS_MAINT_STRIP = -g
deb: export DEB_CXXFLAGS_MAINT_STRIP = -g
deb:
	@scripts/install-deps.sh deb
	cpp="$$(dpkg-buildflags --get CPPFLAGS)" && \
	  cmake -S . -B $(DEB_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
	  -DKELVANE_BUILD_TESTS=OFF -DKELVANE_MAN_PAGES=ON \
	  -DCMAKE_C_FLAGS="$$(dpkg-buildflags --get CFLAGS) $$cpp" \
	  -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$cpp" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)" $(CMAKE_FLAGS)
	cmake --build $(DEB_DIR) --parallel $(JOBS)
	cd $(DEB_DIR) && cpack -G DEB

# The device reader's size in a Cortex-M0+ firmware: examples/firmware built
# with arm-none-eabi-gcc -Os against an install of $(BUILD_DIR).
.PHONY: size
size: deps build
	@scripts/install-deps.sh size
	scripts/reader-size.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) $(SAN_DIR) $(FUZZ_DIR) $(DEB_DIR)
