# make run    builds and runs the clock (on $DISPLAY, or on a private Xvfb with a screenshot)
# make test   builds and runs every test level, ending in one summary line
# make check  the quick check while working: native and 64-bit Windows-side tests
# make build  builds the native tests and both Windows builds
# make dist   packs the 32-bit programs, the sample skins and README.txt into build/vantel.zip
# make screenshots remakes the README's pictures in docs/screenshots
# make assets remakes the pictures, icons, cursor and sound in resources/art, and resources/skins
# make bench  builds and runs the benchmarks under wine64 on a private Xvfb, each figure beside its goal
# make burst  32 reminders in one minute and 16 message windows at once, with figures
# make soak   the real programs on over 200 damaged settings, bitmap and wave files
# make fuzz   runs every libFuzzer target (clang, build/fuzz) for a bounded time and prints the figures
# ARCH=32 (run, bench) runs the shipped 32-bit build under emulated 32-bit Wine instead

BUILD := build
JOBS ?= 2
ARCH ?= 64

.PHONY: all deps build build32-tests run test check dist screenshots assets bench burst soak fuzz clean
all: build

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(BUILD)/native -j$(JOBS)
	@cmake -S . -B $(BUILD)/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw32.cmake -DCMAKE_BUILD_TYPE=Release -DVANTEL_TESTS=OFF >/dev/null
	@cmake --build $(BUILD)/win32 -j$(JOBS)
	@cmake -S . -B $(BUILD)/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD)/win64 -j$(JOBS)

# The Windows-side tests and test tools for 32 bits, kept out of `make build` (and of
# the shipped build/win32) so that stays quick; the 32-bit test level needs them.
build32-tests: deps
	@cmake -S . -B $(BUILD)/win32-tests -DCMAKE_TOOLCHAIN_FILE=cmake/mingw32.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD)/win32-tests -j$(JOBS)

run: build
	@scripts/run-clock.sh $(ARCH)

# The Wine prefixes and the 32-bit emulation are made behind the builds (their log:
# build/test-logs/prepare.txt); the test levels wait for them where they need them.
test:
	@mkdir -p $(BUILD)/test-logs && date +%s >$(BUILD)/test-logs/started
	@$(MAKE) --no-print-directory deps
	@scripts/prepare-tests.sh $(BUILD) >$(BUILD)/test-logs/prepare.txt 2>&1 &
	@$(MAKE) --no-print-directory build build32-tests
	@tests/run-all.sh

check: build
	@tests/run-all.sh check

dist: build
	@scripts/pack-dist.sh $(BUILD)

# The README's pictures, from the real 64-bit programs under wine64 on a private Xvfb.
screenshots: build
	@python3 scripts/screenshots.py

assets:
	@python3 resources/tools/make_assets.py

ifeq ($(ARCH),32)
bench: build
	@cmake -S . -B $(BUILD)/win32-tests -DCMAKE_TOOLCHAIN_FILE=cmake/mingw32.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD)/win32-tests --target region_bench tick_bench idle_window winprobe -j$(JOBS)
	@tests/bench/run-bench.sh $(BUILD) 32
	@VANTEL_BUILD_DIR=$(abspath $(BUILD)) VANTEL_E2E_ARCH=32 python3 tests/bench/clock_cpu_bench.py
	@VANTEL_BUILD_DIR=$(abspath $(BUILD)) VANTEL_E2E_ARCH=32 python3 tests/bench/message_cpu_bench.py
else
bench: deps
	@cmake -S . -B $(BUILD)/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD)/win64 --target region_bench tick_bench idle_window vantel vantelmsg winprobe -j$(JOBS)
	@tests/bench/run-bench.sh $(BUILD)
	@VANTEL_BUILD_DIR=$(abspath $(BUILD)) python3 tests/bench/clock_cpu_bench.py
	@VANTEL_BUILD_DIR=$(abspath $(BUILD)) python3 tests/bench/message_cpu_bench.py
	@VANTEL_BUILD_DIR=$(abspath $(BUILD)) python3 tests/bench/start_bench.py
	@VANTEL_BUILD_DIR=$(abspath $(BUILD)) python3 tests/bench/sound_bench.py
endif

burst: build
	@VANTEL_BUILD_DIR=$(abspath $(BUILD)) python3 tests/bench/burst.py

soak: build
	@VANTEL_BUILD_DIR=$(abspath $(BUILD)) python3 tests/bench/soak.py

# Every parser of outside input under libFuzzer from its seed corpus in tests/fuzz/corpus;
# not part of `make test`. VANTEL_FUZZ_SECONDS sets the seconds per target.
fuzz:
	@JOBS=$(JOBS) tests/fuzz/run-fuzz.sh $(BUILD)

clean:
	rm -rf $(BUILD)
