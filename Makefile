# Thin wrapper around CMake. `make demo` runs the program, `make test` runs every test.
BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
FUZZ_RUNS ?= 1000000
CMAKE_FLAGS ?=

# Debian packages the build, the tests and the benchmarks need.
DEB_PACKAGES = cmake ninja-build g++ make pkg-config libgtest-dev libgmock-dev \
               libbenchmark-dev clang-format clang libclang-rt-14-dev nlohmann-json3-dev \
               libphonenumber-dev libsqlite3-dev libpixman-1-dev libfreetype-dev \
               libharfbuzz-dev libfontconfig-dev fonts-dejavu-core libpng-dev \
               libjpeg62-turbo-dev libgif-dev

.PHONY: all deps build demo test asan bench fuzz format clean

all: build

# Installs what is missing (as root), or prints the exact command to run.
deps:
	@missing=""; \
	for p in $(DEB_PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "installing:$$missing"; \
	    apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	  else \
	    echo "missing Debian packages:$$missing"; \
	    echo "run: sudo apt-get install -y$$missing"; \
	    exit 1; \
	  fi; \
	fi

build: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)
	cmake --build $(BUILD)

demo: build
	./$(BUILD)/bin/callsvc demo

test: build
	cd $(BUILD) && ctest --output-on-failure -j2

asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCALLSVC_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j2

bench: deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCALLSVC_BENCH=ON -DCALLSVC_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(BENCH_BUILD)
	for b in callsvc_bench callsvc_ecc_bench callsvc_contacts_bench callsvc_screen_bench; do ./$(BENCH_BUILD)/bin/$$b || exit 1; done

# libFuzzer harnesses, built with clang; not part of CI. Each runs against its own corpus
# (fuzzer:corpus folder under fuzz/corpus); a finding fails the target after all have run.
FUZZERS = dtmf_queue_fuzz:dtmf dial_string_fuzz:dial text_fuzz:text host_text_fuzz:host_text contacts_fuzz:contacts image_decode_fuzz:image screen_layout_fuzz:screen
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCALLSVC_FUZZ=ON -DCALLSVC_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(FUZZ_BUILD)
	@failed=""; \
	for pair in $(FUZZERS); do \
	  fuzzer=$${pair%%:*}; corpus=$${pair#*:}; \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$corpus; \
	  echo "== $$fuzzer ($(FUZZ_RUNS) runs)"; \
	  ./$(FUZZ_BUILD)/bin/$$fuzzer -runs=$(FUZZ_RUNS) -artifact_prefix=$(FUZZ_BUILD)/$$fuzzer- \
	    $(FUZZ_BUILD)/corpus/$$corpus fuzz/corpus/$$corpus || failed="$$failed $$fuzzer"; \
	done; \
	if [ -n "$$failed" ]; then echo "fuzzers with findings:$$failed"; exit 1; fi

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD)
