# Two entry points: `make run` plays the show, `make test` runs every test.
# Both install missing packages, configure, build and generate the content;
# a second run only rebuilds what changed.

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
PREFIX     ?= /usr/local

.PHONY: run test deps build build-asan bench fuzz install deb cross-arm64 clean

run: build
	cd $(BUILD)/show && CACA_DRIVER=$${CACA_DRIVER:-ncurses} ../vesper-glint

test: build
	BUILD=$(BUILD) ASAN_BUILD=$(ASAN_BUILD) JOBS=$(JOBS) scripts/run-tests.sh

deps:
	@scripts/install-deps.sh

build: deps
	@[ -f $(BUILD)/CMakeCache.txt ] || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DVG_WERROR=$${CI:+ON} $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS)

# The sanitizer tree builds the unit tests only (and the programs they run);
# they make their own fixtures and read the content the release tree made.
# It also uses the plain C++ pixel routines instead of the SSE2 ones, so
# every test run proves both paths draw the same show.
UNIT_TESTS = engine_tests driver_tests render_tests effects_tests content_tests capture_tests platform_tests \
             mesh_corpus jpeg_corpus zip_corpus ogg_corpus

build-asan: build
	@[ -f $(ASAN_BUILD)/CMakeCache.txt ] || cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVG_SANITIZE=ON -DVG_SIMD=OFF -DVG_CONTENT=OFF -DVG_SHOW_DIR=$(abspath $(BUILD))/show -DVG_WERROR=$${CI:+ON} $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS) --target $(UNIT_TESTS)

# Open-ended fuzzing with libFuzzer (clang, sanitizers on): each target runs
# FUZZ_SECONDS from its committed corpus; what it finds new goes to
# $(FUZZ_BUILD)/corpus, crashing inputs to $(FUZZ_BUILD)/findings.
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS  = mesh jpeg zip ogg

fuzz: deps
	@[ -f $(FUZZ_BUILD)/CMakeCache.txt ] || CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVG_SANITIZE=ON -DVG_LIBFUZZER=ON -DVG_CONTENT=OFF $(CMAKE_ARGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS:%=%_fuzz)
	@mkdir -p $(FUZZ_BUILD)/findings
	@for t in $(FUZZ_TARGETS); do mkdir -p $(FUZZ_BUILD)/corpus/$$t; \
	  $(FUZZ_BUILD)/$${t}_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=65536 \
	    -artifact_prefix=$(FUZZ_BUILD)/findings/$$t- $(FUZZ_BUILD)/corpus/$$t tests/fuzz/corpus/$$t \
	    || exit 1; done

bench: build
	@for b in $(BUILD)/*_bench; do echo "== $$b"; $$b; done

# Installs under PREFIX (default /usr/local); DESTDIR is honoured.
install: build
	DESTDIR=$(DESTDIR) cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package vesper-glint_<version>_<arch>.deb, in $(BUILD).
deb: build
	cd $(BUILD) && cpack -G DEB

# A 64-bit ARM build with the plain pixel routines, cross-compiled with
# Debian's multiarch libraries; its unit tests run under qemu-user against
# the content the native tree made, one process per program (CTest's one
# process per case would decode the song again for every case, hours under
# emulation). The tests that start the programs themselves are left out
# (a new suite of them goes into ARM64_SKIP): the kernel would need qemu
# registered as the handler of arm64 programs.
# Not part of `make test`: the build and the emulated tests take most of
# half an hour on two cores.
ARM64_BUILD ?= build-arm64
ARM64_TESTS  = engine_tests render_tests effects_tests content_tests platform_tests driver_tests capture_tests
ARM64_SKIP   = -ShowProgram.*:CaptureProgram.*:HostileCapture.*:PipelineRun.*:VideoProbe.*

cross-arm64: build
	@scripts/install-cross-arm64.sh
	@[ -f $(ARM64_BUILD)/CMakeCache.txt ] || cmake -S . -B $(ARM64_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake -DCMAKE_BUILD_TYPE=Release -DVG_SIMD=OFF -DVG_CONTENT=OFF -DVG_SHOW_DIR=$(abspath $(BUILD))/show $(CMAKE_ARGS)
	cmake --build $(ARM64_BUILD) -j $(JOBS) --target $(ARM64_TESTS)
	@cd $(ARM64_BUILD) && for t in $(ARM64_TESTS); do echo "== $$t under qemu-aarch64"; \
	  VESPER_GLINT_DATA=$(abspath $(BUILD))/show qemu-aarch64-static ./$$t --gtest_brief=1 \
	    --gtest_filter='$(ARM64_SKIP)' || exit 1; done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(ARM64_BUILD)
