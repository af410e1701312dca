# Tilora: `make run` to start the editor, `make test` for the whole suite.
# Every target installs the Debian packages it needs first (scripts/deps.sh PROFILE, idempotent):
# `make run` only the compiler, CMake, Ninja, Qt and the fonts; `make test` also the test tools.

.PHONY: deps build run test programs test-dev test-asan check bench fuzz package format clean

FUZZ_SECONDS ?= 600

deps:
	@scripts/deps.sh test

# The editor and tilora-cli alone, optimised, without the tests and without -Werror, then the
# editor started.
run:
	@scripts/deps.sh run
	cmake --preset run
	cmake --build --preset run
	./build/run/src/app/tilora

# The development build: every program and test suite, optimised, warnings as errors.
build: deps
	cmake --preset dev
	cmake --build --preset dev

# The whole suite against the optimised build (make test runs it under the sanitizers instead).
test-dev: build
	ctest --preset dev

# The programs as they are shipped (optimised, hardened, warnings as errors) and the checks of
# their package, manuals and desktop files.
programs: deps
	cmake --preset dev
	cmake --build --preset programs
	ctest --preset programs

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer (clang).
test-asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

# The house rules: formatting, the layers' includes, and clang-tidy over every source of the dev
# build (re-checking only what changed since its last clean check; see scripts/tidy.sh).
check: deps
	scripts/check-format.sh
	scripts/check-includes.sh
	cmake --preset dev
	scripts/tidy.sh build/dev

test: check programs test-asan

bench:
	@scripts/deps.sh bench
	cmake --preset release
	cmake --build --preset release
	./build/release/bench/tilora_bench --benchmark_counters_tabular=true
	scripts/bench-processes.sh build/release

# A Debian package in the top folder: sudo apt install ./tilora_*.deb
package:
	@scripts/deps.sh package
	cmake --preset package
	cmake --build --preset package --target package
	cp build/package/tilora_*.deb .

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	scripts/fuzz.sh build/fuzz $(FUZZ_SECONDS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
