# The two commands of the README, and a few more for developers.
#   make run   - install what is missing, build, run the demo on the bundled sample workspace
#   make test  - install what is missing, build with sanitizers and warnings as errors, run
#                every test (and, when clang is there, a few seconds of each fuzz target)
#   make gallery - build, then save a picture of every window and dialog in build/gallery/
#                (under Xvfb, so no display is needed)
#   make package - the Debian packages tavrel and tavrel-desktop (CPack) in build/pkg/
#   make fuzz  - build the fuzz targets with clang and run each for FUZZ_SECONDS (default 60)
#                or FUZZ_RUNS executions, as FUZZ_WORKERS processes each (default 1)
.PHONY: run test test-tsan build build-asan build-fuzz deps bench fuzz gallery clean format package

BUILD_DIR ?= build/release
ASAN_DIR ?= build/asan
TSAN_DIR ?= build/tsan
FUZZ_DIR ?= build/fuzz
PKG_DIR ?= build/pkg
FUZZ_SECONDS ?= 60
FUZZ_RUNS ?=
FUZZ_WORKERS ?= 1
JOBS ?= $(shell nproc)

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@scripts/demo $(BUILD_DIR)

build-asan: deps
	@cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVREL_SANITIZE=ON \
	  -DTAVREL_WERROR=ON -DTAVREL_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(ASAN_DIR) -j $(JOBS)

test: build-asan
	@cd $(ASAN_DIR) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory test-tsan
	@if command -v clang++ >/dev/null 2>&1; then \
	  $(MAKE) --no-print-directory build-fuzz && cd $(FUZZ_DIR) && ctest --output-on-failure; \
	else \
	  echo "clang++ not found: fuzz smoke tests skipped"; \
	fi

# The threaded tests under ThreadSanitizer: a scan step, a feed download and a status pause run
# on worker threads and are cancelled from another thread against real servers; the browser
# preview answers many clients at once.
test-tsan: deps
	@cmake -S . -B $(TSAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVREL_TSAN=ON \
	  -DTAVREL_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(TSAN_DIR) -j $(JOBS) --target test_integration test_serve
	@cd $(TSAN_DIR) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 \
	  suppressions=$(CURDIR)/tests/serve/tsan_suppressions.txt" \
	  ctest --output-on-failure -R '^(ThreadedStep|PreviewServerTest|ServeCommandTest)\.'

# The fuzzing build: clang, coverage instrumentation and sanitizers on the whole tree.
build-fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTAVREL_FUZZ=ON -DTAVREL_WERROR=ON -DTAVREL_BUILD_TESTS=OFF \
	  -DTAVREL_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS)

fuzz: build-fuzz
	@FUZZ_SECONDS=$(FUZZ_SECONDS) FUZZ_RUNS=$(FUZZ_RUNS) FUZZ_WORKERS=$(FUZZ_WORKERS) \
	  scripts/fuzz $(FUZZ_DIR)

# The Debian packages: a release build with Debian's hardening flags, then CPack. The flags are
# given at the first configure of PKG_DIR and kept in its cache.
package: deps
	@DEB_BUILD_MAINT_OPTIONS=hardening=+all cmake -S . -B $(PKG_DIR) -G Ninja \
	  -DCMAKE_BUILD_TYPE=Release -DTAVREL_BUILD_TESTS=OFF -DTAVREL_BUILD_BENCH=OFF \
	  -DCMAKE_CXX_FLAGS="$$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	  -DCMAKE_C_FLAGS="$$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)" >/dev/null
	@cmake --build $(PKG_DIR) -j $(JOBS)
	@cd $(PKG_DIR) && cpack -G DEB >/dev/null && ls -1 "$$PWD"/*.deb

gallery: build
	@rm -rf build/gallery
	@xvfb-run -a -s "-screen 0 1280x1024x24" $(BUILD_DIR)/tavrel_gallery build/gallery

bench: build
	@scripts/bench $(BUILD_DIR)

clean:
	rm -rf build

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i
