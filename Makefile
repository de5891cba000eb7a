# The two commands of the README. Both install what is missing first (Debian 12).
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: run test build deps configure clean

deps:
	@scripts/install-deps

# ccache (installed by scripts/install-deps) lets a rebuild reuse earlier work.
LAUNCHER = $(shell command -v ccache >/dev/null 2>&1 && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LAUNCHER) --log-level=WARNING

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run $(BUILD)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j 2 --timeout 300

clean:
	rm -rf $(BUILD)
