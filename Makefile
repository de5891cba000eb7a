# The two commands of the README. Both install what is missing first (Debian 12).
# check-sanitize: the whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
# check-thread: the threaded parts and the real program built with ThreadSanitizer.
BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
THREAD_BUILD ?= build-thread
JOBS ?= $(shell nproc)

.PHONY: run test build deps configure clean check-sanitize check-thread install uninstall

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

# Installs under PREFIX (DESTDIR for packagers); uninstall removes what the last install
# put there, as its manifest lists.
PREFIX ?= /usr/local
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

uninstall:
	@test -f $(BUILD)/install_manifest.txt && sed 's|^|$(DESTDIR)|' $(BUILD)/install_manifest.txt | xargs -d '\n' rm -f || true

# Any sanitizer report fails the test that caused it; the only leaks suppressed are
# those of tests/lsan-suppressions.txt.
SANITIZE_ENV = ASAN_OPTIONS=detect_leaks=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan-suppressions.txt:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

check-sanitize: deps
	@cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZOVALIS_SANITIZE=ON $(LAUNCHER) --log-level=WARNING
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	@cd $(SANITIZE_BUILD) && $(SANITIZE_ENV) ctest --output-on-failure -j 2 --timeout 900

# check-thread: the threaded parts (engine, station player, recorder) and the real
# program built with ThreadSanitizer; a race report fails the test that caused it.
THREAD_ENV = TSAN_OPTIONS=suppressions=$(CURDIR)/tests/tsan-suppressions.txt:halt_on_error=1:second_deadlock_stack=1:die_after_fork=0
THREAD_LABELS = engine|playback|recording|integration

check-thread: deps
	@cmake -S . -B $(THREAD_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZOVALIS_THREAD=ON $(LAUNCHER) --log-level=WARNING
	@cmake --build $(THREAD_BUILD) -j $(JOBS)
	@cd $(THREAD_BUILD) && $(THREAD_ENV) ctest --output-on-failure -j 2 --timeout 900 -L '$(THREAD_LABELS)'

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(THREAD_BUILD)
