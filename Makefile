# make run    installs what is missing, builds, and starts the magnifier on the current display
# make test   installs what is missing, builds, and runs every test
# make build  builds build/magnifier only
# make install [PREFIX=/usr/local] [DESTDIR=]  installs the Linux build; make uninstall [DESTDIR=]
#             removes exactly the files it installed
# make package  dist/magnifier_*.deb (Linux) and dist/magnifier-*-windows-x64.zip
.PHONY: run test build deps deps-linux windows test-linux test-sanitize test-windows bench clean \
	install uninstall package

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
BUILD_TYPE ?= RelWithDebInfo
PREFIX ?= /usr/local

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
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DMAGNIFIER_SANITIZE=ON -DMAGNIFIER_HOME_URL=http://example.test/ -DMAGNIFIER_E2E=OFF -DMAGNIFIER_BENCH=OFF

test-sanitize: build-asan/CMakeCache.txt
	cmake --build build-asan -j$(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j$(JOBS)

# The program and what goes with it (icons, manual page), then CMake's install rules. The manifest
# build/install_manifest.txt lists every file written, for make uninstall.
install: build/CMakeCache.txt
	cmake --build build -j$(JOBS) --target magnifier magnifier_data
	DESTDIR="$(DESTDIR)" cmake --install build --prefix "$(PREFIX)"

# Give it the same DESTDIR as the install: the manifest lists paths under the prefix only.
uninstall:
	DESTDIR="$(DESTDIR)" cmake -DMANIFEST=build/install_manifest.txt -P cmake/Uninstall.cmake

package: deps build/CMakeCache.txt
	cmake --build build -j$(JOBS) --target magnifier magnifier_data
	scripts/windows-build
	cd build && cpack --config CPackConfig.cmake -B $(CURDIR)/dist
	cd build-win && cpack --config CPackConfig.cmake -B $(CURDIR)/dist
	rm -rf dist/_CPack_Packages
	@ls -l dist/*.deb dist/*.zip

windows: deps
	scripts/windows-build

test-windows: windows
	scripts/windows-test

# A shared or virtual machine's figures wander from run to run: each is measured three times, and
# the median is the one to read.
SYSTEM_BENCH_FLAGS ?= --benchmark_repetitions=3 --benchmark_display_aggregates_only=true

bench: build/CMakeCache.txt
	cmake --build build -j$(JOBS) --target magnifier_tick_bench magnifier_system_bench magnifier_wayland_bench
	./build/bench/magnifier_tick_bench
	./build/bench/system/magnifier_system_bench $(SYSTEM_BENCH_FLAGS)
	testkit/rig/rig.sh ./build/bench/wayland/magnifier_wayland_bench

clean:
	rm -rf build build-asan build-win dist
