# make run    installs what is missing, builds, and starts the magnifier on the current display
# make test   installs what is missing, builds, and runs every test
# make build  builds build/magnifier only
.PHONY: run test build deps deps-linux windows test-linux test-sanitize test-windows bench clean

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
BUILD_TYPE ?= RelWithDebInfo

deps:
	@scripts/install-deps

deps-linux:
	@scripts/install-deps --no-windows

build/CMakeCache.txt:
	cmake -S . -B build -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: build/CMakeCache.txt
	cmake --build build -j$(JOBS) --target magnifier

run: deps-linux
	@$(MAKE) --no-print-directory build
	@if [ -z "$$DISPLAY" ]; then \
	  echo "make run: no X display here (DISPLAY is not set); start it from a desktop session, or under Xvfb: xvfb-run -a make run" >&2; \
	  exit 2; \
	fi
	./build/magnifier

test: deps
	@$(MAKE) --no-print-directory test-linux test-sanitize test-windows

test-linux: build/CMakeCache.txt
	cmake --build build -j$(JOBS)
	cd build && ctest --output-on-failure -j$(JOBS) --timeout 600

build-asan/CMakeCache.txt:
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DMAGNIFIER_SANITIZE=ON -DMAGNIFIER_E2E=OFF -DMAGNIFIER_BENCH=OFF

test-sanitize: build-asan/CMakeCache.txt
	cmake --build build-asan -j$(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j$(JOBS)

windows: deps
	scripts/windows-build

test-windows: windows
	scripts/windows-test

bench: build/CMakeCache.txt
	cmake --build build -j$(JOBS) --target magnifier_tick_bench magnifier_system_bench magnifier_wayland_bench
	./build/bench/magnifier_tick_bench
	./build/bench/system/magnifier_system_bench
	tests/wayland/rig.sh ./build/bench/wayland/magnifier_wayland_bench

clean:
	rm -rf build build-asan build-win
