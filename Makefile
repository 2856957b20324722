# make run   - set up, build and start Zamo on the built-in example project
# make test  - set up, build and run every test
# make bench - build and run the benchmarks
BUILD ?= build
GENERATOR ?= Ninja
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build test run bench clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G $(GENERATOR) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

run: build
	$(BUILD)/app/zamo

bench: deps
	cmake -S . -B $(BUILD)-bench -G $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DZAMO_BUILD_BENCHMARKS=ON -DZAMO_BUILD_TESTS=OFF
	cmake --build $(BUILD)-bench -j $(JOBS)
	$(BUILD)-bench/bench/zamo_bench
	$(BUILD)-bench/bench/zamo_ui_bench

clean:
	rm -rf $(BUILD) $(BUILD)-bench $(BUILD)-asan
