# The two commands that do everything on a fresh Debian machine:
#   make run    installs what is missing, builds, starts Karvola (the headless
#               terminal where there is no display)
#   make test   installs what is missing, builds, runs every test (plain and with sanitizers)
JOBS ?= $(shell nproc)

.PHONY: run test deps build build-asan test-release test-asan bench clean

run: build
	./scripts/seed-home.sh
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then ./build/release/app/gui/karvola; \
	else ./build/release/app/cli/karvola-cli; fi

test: test-release test-asan

deps:
	./scripts/install-deps.sh

build: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)

build-asan: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)

test-release: build
	ctest --preset release -j $(JOBS)

test-asan: build-asan
	ctest --preset asan -j $(JOBS)

bench: build
	for b in expressions database research_domain strategy; do ./build/release/bench/$${b}_bench; done
	./build/release/bench/optimizer_bench 10000
	./build/release/bench/optimizer_bench 2000

clean:
	rm -rf build
