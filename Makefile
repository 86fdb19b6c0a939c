# The two commands of the README: `make demo` and `make test`.
BUILD ?= build
PACKAGE_BUILD ?= build-package
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc)

.PHONY: all deps build demo test test-asan fuzz package clean

all: build

deps:
	@bash scripts/install-deps.sh test

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	@bash scripts/demo.sh $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The Debian package: build/tavrelle_<version>_amd64.deb. Only what the
# programs need is installed and built (no tests, benchmarks or test tools),
# in a folder of its own so that the test build stays as it is.
package:
	@bash scripts/install-deps.sh build
	cmake -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRELLE_TESTS=OFF
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	cd $(PACKAGE_BUILD) && cpack
	mkdir -p $(BUILD)
	cp $(PACKAGE_BUILD)/tavrelle_*_amd64.deb $(BUILD)/

# The same tests under AddressSanitizer, UBSan and LeakSanitizer; only the
# toolkit's own caches are let through (scripts/lsan.supp says which and why).
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTAVRELLE_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	  ctest --output-on-failure -j $(JOBS)

# Every fuzz target for FUZZ_SECONDS seconds (clang, libFuzzer, ASan and UBSan).
fuzz: build
	FUZZ_SECONDS=$(FUZZ_SECONDS) bash scripts/fuzz.sh $(BUILD) $(FUZZ_BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(PACKAGE_BUILD)
