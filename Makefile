# The two commands of the README. Both install what is missing first (Debian 12).
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: run test build deps configure clean

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run $(BUILD)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j 2 --timeout 300

clean:
	rm -rf $(BUILD)
