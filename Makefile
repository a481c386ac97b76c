# The two commands of the README, and a few more for developers.
#   make run   - install what is missing, build, run the demo on the bundled sample workspace
#   make test  - install what is missing, build with sanitizers, run every test
.PHONY: run test build build-asan deps bench fuzz clean format

BUILD_DIR ?= build/release
ASAN_DIR ?= build/asan
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
	  -DTAVREL_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(ASAN_DIR) -j $(JOBS)

test: build-asan
	@cd $(ASAN_DIR) && ctest --output-on-failure -j $(JOBS)

bench: build
	@scripts/bench $(BUILD_DIR)

clean:
	rm -rf build

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i
