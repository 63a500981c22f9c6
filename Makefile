# The two commands of the README: `make demo` and `make test`.
.PHONY: all bootstrap build build-asan build-tsan build-fuzz test test-default test-asan test-tsan \
        test-fuzz test-package fuzz demo bench install package clean windows-deps windows \
        test-windows demo-windows

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# How long `make fuzz` runs each fuzz target, and `make test` in its smoke run.
FUZZ_SECONDS ?= 600
FUZZ_SMOKE_SECONDS ?= 10

all: build

bootstrap:
	@scripts/bootstrap

build: bootstrap
	cmake --preset default
	cmake --build --preset default -j $(JOBS)

build-asan: bootstrap
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)

test-default: build
	ctest --preset default

test-asan: build-asan
	ctest --preset asan

# The Debian packages, from the default build tree, and their test: lintian,
# the packages unpacked into a scratch root, the demo lifecycle and the
# kit's example provider from there (nothing is installed on this machine).
package: build
	scripts/package build/default

test-package: package
	tests/package/package_test.sh build/packages

# ThreadSanitizer over the tests that run threads (only they are built).
build-tsan: bootstrap
	cmake --preset tsan
	cmake --build --preset tsan -j $(JOBS)

test-tsan: build-tsan
	ctest --preset tsan

# The fuzz targets (clang): a short run of each in `make test`, so that a
# regression shows; FUZZ_SECONDS of each, one after another, in `make fuzz`.
build-fuzz: bootstrap
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)

test-fuzz: build-fuzz
	scripts/fuzz build/fuzz $(FUZZ_SMOKE_SECONDS)

fuzz: build-fuzz
	scripts/fuzz build/fuzz $(FUZZ_SECONDS)

# Every test, in the release build, under the sanitizers, under
# ThreadSanitizer, a short run of every fuzz target, the packages, and the
# Windows build under Wine.
test: test-default test-asan test-tsan test-fuzz test-package test-windows

# Only what the demo runs: the provider, the utility library, quelbctl, the
# simulator, the message catalogs, the manual pages and the kit library
# (the installation holds it; it is an archive of objects built anyway),
# unoptimised (no tests, no benchmarks; the demo preset), so that a fresh
# clone shows the demo within minutes. DEMO_FLAGS=--full-log shows every SYMCLI command.
DEMO_TARGETS = norvel quelbutil quelbctl symsim message_catalogs man_pages quelbpdk

demo: bootstrap
	cmake --preset demo
	cmake --build --preset demo -j $(JOBS) --target $(DEMO_TARGETS)
	scripts/demo $(DEMO_FLAGS) build/demo

bench: build
	cmake --build --preset default --target bench
	scripts/run-bench build/default

# The third-party libraries of the Windows build, cross-built once into
# build/windows-deps/current and checked under Wine.
windows-deps: bootstrap
	scripts/windows-deps -j $(JOBS) --check

# The Windows build: norvel.dll, quelbutil.dll, quelbctl.exe, symsim.exe
# and its nine tool names, the message bundles, the zip of the
# installation tree (build/windows/norvel-windows-x64.zip), and the test
# programs make test-windows runs.
WINDOWS_TARGETS = norvel quelbutil quelbpdk quelbctl symsim message_catalogs man_pages \
  windows_platform_tests pipe_child sim_tests unit_tests e2e_tests
WINDOWS_ZIP = build/windows/norvel-windows-x64.zip

windows: windows-deps
	cmake --preset windows
	cmake --build --preset windows -j $(JOBS) --target $(WINDOWS_TARGETS)
	scripts/windows-stage --zip $(WINDOWS_ZIP) build/windows build/windows/norvel-windows-x64

# The Windows build's tests under Wine (export table, platform services,
# lifecycle, and the unit and simulator suites, one ctest entry each).
test-windows: windows
	ctest --preset windows
	scripts/wine-run --wine-prefix build/windows/wine --stop

# The snapshot lifecycle of the Windows build under Wine.
demo-windows: windows
	scripts/demo-windows build/windows

# Builds only what is installed (no tests or benchmarks), then installs it.
INSTALL_TARGETS = norvel quelbutil quelbctl symsim message_catalogs man_pages quelbpdk

install: bootstrap
	cmake --preset default
	cmake --build --preset default -j $(JOBS) --target $(INSTALL_TARGETS)
	cmake --install build/default --prefix $(or $(PREFIX),/opt/quelb)

clean:
	rm -rf build
