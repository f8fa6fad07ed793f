# Thin wrapper around CMake. `make demo` runs the program, `make test` runs every test,
# `make install PREFIX=... DESTDIR=...` installs, `make package` builds the Debian package.
BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
# Each fuzzer runs FUZZ_SECONDS seconds, or stops earlier after FUZZ_RUNS inputs when that is set.
FUZZ_SECONDS ?= 60
FUZZ_RUNS ?=
CMAKE_FLAGS ?=
PREFIX ?= /usr/local
DESTDIR ?=

# Debian packages the build, the tests and the benchmarks need.
DEB_PACKAGES = cmake ninja-build g++ make pkg-config libgtest-dev libgmock-dev \
               libbenchmark-dev clang-format clang libclang-rt-14-dev nlohmann-json3-dev \
               libphonenumber-dev libsqlite3-dev help2man dpkg-dev libpixman-1-dev libfreetype-dev \
               libharfbuzz-dev libfontconfig-dev fonts-dejavu-core libpng-dev \
               libjpeg62-turbo-dev libgif-dev libwebp-dev libavformat-dev libavcodec-dev \
               libswscale-dev libavutil-dev libcairo2-dev zlib1g-dev liblzma-dev libsdl2-dev

.PHONY: all deps configure build demo test asan bench fuzz install package package-check format clean

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

configure: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD)

# Only the program and the libraries it loads, not the tests. The demo works in a temporary
# data folder unless given --data; its call screens go to $(BUILD)/demo-screens.
demo: configure
	cmake --build $(BUILD) --target callsvc
	rm -rf $(BUILD)/demo-screens
	./$(BUILD)/bin/callsvc demo --screens $(BUILD)/demo-screens

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
	for b in callsvc_bench callsvc_ecc_bench callsvc_contacts_bench callsvc_screen_bench callsvc_timer_bench \
	         callsvc_video_bench callsvc_image_bench; do \
	  ./$(BENCH_BUILD)/bin/$$b || exit 1; \
	done

# libFuzzer harnesses, built with clang; not part of CI. Each fuzzer:corpus pair runs for
# FUZZ_SECONDS on its own corpus, seeded from fuzz/corpus/CORPUS when that exists. A finding, or
# a harness that was not built, fails the target after all have run.
FUZZERS = dtmf_queue_fuzz:dtmf dial_string_fuzz:dial text_fuzz:text host_text_fuzz:host_text \
          contacts_fuzz:contacts registry_fuzz:registry contacts_import_fuzz:contacts_import \
          image_decode_fuzz:image screen_layout_fuzz:screen \
          video_info_fuzz:video swf_fuzz:swf
FUZZ_LIMIT = -max_total_time=$(FUZZ_SECONDS)$(if $(FUZZ_RUNS), -runs=$(FUZZ_RUNS))
fuzz: deps
	@echo "make fuzz: $(words $(FUZZERS)) fuzzers, $(FUZZ_SECONDS) s each$(if $(FUZZ_RUNS), or $(FUZZ_RUNS) runs if sooner):" \
	  "about $$(( $(words $(FUZZERS)) * $(FUZZ_SECONDS) / 60 )) min $$(( $(words $(FUZZERS)) * $(FUZZ_SECONDS) % 60 )) s after the build" \
	  "(set FUZZ_SECONDS to change)"
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCALLSVC_FUZZ=ON -DCALLSVC_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(FUZZ_BUILD)
	@failed=""; \
	for pair in $(FUZZERS); do \
	  fuzzer=$${pair%%:*}; corpus=$${pair#*:}; \
	  if [ ! -x $(FUZZ_BUILD)/bin/$$fuzzer ]; then \
	    echo "== $$fuzzer: not built"; failed="$$failed $$fuzzer"; continue; \
	  fi; \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$corpus; \
	  seeds=fuzz/corpus/$$corpus; [ -d $$seeds ] || seeds=""; \
	  echo "== $$fuzzer ($(FUZZ_LIMIT))"; \
	  $(FUZZ_BUILD)/bin/$$fuzzer $(FUZZ_LIMIT) -artifact_prefix=$(FUZZ_BUILD)/$$fuzzer- \
	    $(FUZZ_BUILD)/corpus/$$corpus $$seeds || failed="$$failed $$fuzzer"; \
	done; \
	if [ -n "$$failed" ]; then echo "fuzzers with findings or not built:$$failed"; exit 1; fi

# The libraries, headers, program, data, CMake package, pkg-config files and man page under
# $(DESTDIR)$(PREFIX).
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# A Debian package of what `make install` installs, in $(BUILD)/package.
package: build
	cd $(BUILD) && cpack -G DEB

# Installs into a temporary prefix and builds and runs examples/ against it (CMake package and
# pkg-config), then builds the Debian package and runs its program unpacked.
package-check: package
	tools/ci/package-check.sh $(BUILD)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD)
