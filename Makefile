# Two entry points: `make run` plays the show, `make test` runs every test.
# Both install missing packages, configure, build and generate the content;
# a second run only rebuilds what changed.

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=

.PHONY: run test deps build build-asan bench clean

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
UNIT_TESTS = engine_tests driver_tests render_tests effects_tests content_tests capture_tests platform_tests

build-asan: build
	@[ -f $(ASAN_BUILD)/CMakeCache.txt ] || cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVG_SANITIZE=ON -DVG_CONTENT=OFF -DVG_SHOW_DIR=$(abspath $(BUILD))/show -DVG_WERROR=$${CI:+ON} $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS) --target $(UNIT_TESTS)

bench: build
	@for b in $(BUILD)/*_bench; do echo "== $$b"; $$b; done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
