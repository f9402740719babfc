# The two commands that do everything on a fresh Debian machine:
#   make run    installs what the programs need and is missing, builds the three
#               programs and the user guide (nothing else), starts the local web
#               service unless something answers on its address (it says whether
#               that is this build's service), then Karvola (the headless
#               terminal where there is no display)
#   make test   installs what is missing, builds, runs every test once: the
#               windows' and the slow ones on the release build, the core's,
#               karvola-cli's, the service's and the fuzzing corpora's replay
#               under ASan + UBSan at -O1 (preset asan)
# And:
#   make check  make tidy, then the full sanitizer sweep: everything, the windows
#               and the slow tests included, under ASan + UBSan at -O2 (preset
#               asan-full)
#   make tidy   clang-tidy 14 with .clang-tidy's checks over every source of the
#               project (preset tidy: its compile commands, built only as far as
#               Qt's moc files need); a finding fails it
#   make fuzz   builds the libFuzzer harnesses of fuzz/ with Clang (preset fuzz)
#               and runs each for FUZZ_SECONDS (default 60) or 10 million
#               executions, one per core; FUZZERS="dates masks" picks some.
#               make test replays their checked-in corpora (ctest -R fuzz)
#   make tsan   the core's, karvola-cli's and the windows' tests under
#               ThreadSanitizer at -O1 (preset tsan), leaving out the label "slow"
#   make soak   karvola-service under a bounded soak (build/soak): the program's
#               exchanges and malformed ones from several clients at once for
#               SOAK_SECONDS (default 180), its memory sampled throughout
#   make package  the .deb (CPack) from a release build of its own without the
#               tests and benchmarks, warnings not errors (build/package)
#   make package-check  builds it, runs lintian (no error, no warning) and
#               appstreamcli validate on it, checks its contents and runs the
#               programs unpacked from it; as root also installs it, runs it
#               from /usr and removes it (scripts/package-check.sh)
#   make format / make format-check   clang-format 14 over the C++ sources; the
#               check fails on a file it would change, and without the tool
JOBS ?= $(shell nproc)
# The package check runs once per build folder, and again when its list changes.
PACKAGES_STAMP := build/.packages-checked
RUN_PACKAGES_STAMP := build/.run-packages-checked
# What make run starts, and the guide and sample content they read.
RUN_TARGETS := karvola karvola-cli karvola-service karvola_service_sample_content user_guide
# One clang-format major only: another formats some constructs differently, and two
# would rewrite each other's files. install-deps.sh installs this one.
CLANG_FORMAT_MAJOR := 14
CLANG_FORMAT ?= clang-format-$(CLANG_FORMAT_MAJOR)
FORMAT_DIRS := ClientApp app tests bench fuzz

.PHONY: run run-packages test check fuzz deps packages build build-asan build-asan-full test-release test-asan \
        test-asan-full bench format format-check format-tool clean

run: run-packages
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target $(RUN_TARGETS)
	./scripts/seed-home.sh
	./scripts/start-service.sh ./build/release/app/service/karvola-service
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then ./build/release/app/gui/karvola; \
	else ./build/release/app/cli/karvola-cli; fi

test: test-release test-asan

check: tidy test-asan-full

# The check itself, whatever the stamp says.
deps:
	rm -f $(PACKAGES_STAMP)
	./scripts/install-deps.sh --tests --stamp $(PACKAGES_STAMP)

# What the build and every test need.
packages:
	@./scripts/install-deps.sh --tests --stamp $(PACKAGES_STAMP)

# What the programs need, no more: the test libraries and the test locale wait for make test.
run-packages:
	@./scripts/install-deps.sh --stamp $(RUN_PACKAGES_STAMP)

build: packages
	cmake --preset release
	cmake --build --preset release -j $(JOBS)

build-asan: packages
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)

build-asan-full: packages
	cmake --preset asan-full
	cmake --build --preset asan-full -j $(JOBS)

# The release folder runs the window tests and the slow ones; the sanitizer
# folder all the others (see karvola_release_checks in tests/CMakeLists.txt).
test-release: packages
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target karvola_release_checks
	ctest --preset release -j $(JOBS) -L '^(ui|slow)$$'

test-asan: build-asan
	ctest --preset asan -j $(JOBS)

test-asan-full: build-asan-full
	ctest --preset asan-full -j $(JOBS)

TIDY_DIR := build/tidy
CLANG_TIDY_RUNNER ?= run-clang-tidy-14
.PHONY: tidy
tidy:
	./scripts/install-deps.sh --tests --tidy --stamp build/.tidy-packages-checked
	cmake --preset tidy
	ninja -C $(TIDY_DIR) $$(ninja -C $(TIDY_DIR) -t targets all | grep -o '^[^:]*_autogen:' | grep -v 'CMakeFiles\|^/' | tr -d :)
	$(CLANG_TIDY_RUNNER) -p $(TIDY_DIR) -j $(JOBS) -quiet -extra-arg=-Wno-unknown-warning-option \
	  '$(CURDIR)/(ClientApp|app|tests|bench|fuzz)/'

FUZZ_SECONDS ?= 60
FUZZERS ?=
fuzz:
	./scripts/install-deps.sh --fuzzing --stamp build/.fuzz-packages-checked
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	./scripts/fuzz.sh -t $(FUZZ_SECONDS) -j $(JOBS) $(FUZZERS)

# The benchmarks are left out of the build that make run and make test use.
bench: packages
	cmake --preset release -DKARVOLA_BUILD_BENCH=ON
	cmake --build --preset release -j $(JOBS)
	for b in expressions database research_domain strategy import; do ./build/release/bench/$${b}_bench; done
	./build/release/bench/service_bench
	./build/release/bench/conversion_bench
	./build/release/bench/upcoming_bench
	./build/release/bench/upcoming_service_bench
	./build/release/bench/betting_manager_bench
	./build/release/bench/optimizer_bench 10000
	./build/release/bench/optimizer_bench 2000
	./build/release/bench/validation_bench

.PHONY: tsan soak
SOAK_SECONDS ?= 180

tsan: packages
	cmake --preset tsan
	cmake --build --preset tsan -j $(JOBS)
	ctest --preset tsan -j $(JOBS)

# A folder of its own: the soak's release build without the windows and the tests.
soak: packages
	cmake -S . -B build/soak -G Ninja -DCMAKE_BUILD_TYPE=Release -DKARVOLA_BUILD_GUI=OFF \
	  -DKARVOLA_BUILD_TESTS=OFF -DKARVOLA_BUILD_BENCH=ON -DKARVOLA_DEVELOPER_MODE=ON
	cmake --build build/soak -j $(JOBS) --target service_soak
	./build/soak/bench/service_soak --seconds $(SOAK_SECONDS)

PACKAGE_DIR := build/package
.PHONY: package package-check
# Warnings stay warnings in the package, as in any build by hand; said here too, since
# a folder configured earlier keeps the value in its cache.
package:
	./scripts/install-deps.sh --packaging --stamp build/.packaging-packages-checked
	cmake -S . -B $(PACKAGE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DKARVOLA_BUILD_TESTS=OFF \
	  -DKARVOLA_BUILD_BENCH=OFF -DKARVOLA_DEVELOPER_MODE=OFF
	cmake --build $(PACKAGE_DIR) -j $(JOBS)
	rm -f $(PACKAGE_DIR)/karvola_*.deb
	cd $(PACKAGE_DIR) && cpack -G DEB

package-check: package
	./scripts/package-check.sh $(PACKAGE_DIR)

format: format-tool
	find $(FORMAT_DIRS) -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | xargs -0 -r $(CLANG_FORMAT) -i

# Lists every file that clang-format would change and fails if there is one.
format-check: format-tool
	@unformatted=$$(find $(FORMAT_DIRS) -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | \
	  xargs -0 -r -n 16 -P $(JOBS) sh -c 'for f; do $(CLANG_FORMAT) "$$f" | cmp -s - "$$f" || echo "$$f"; done' sh | \
	  LC_ALL=C sort); \
	if [ -n "$$unformatted" ]; then \
	  echo "$$unformatted"; echo "Not formatted as .clang-format says; make format rewrites them." >&2; exit 1; \
	fi

format-tool:
	@command -v $(CLANG_FORMAT) >/dev/null || \
	  { echo "$(CLANG_FORMAT) not found (Debian: clang-format-$(CLANG_FORMAT_MAJOR); make deps)" >&2; exit 1; }
	@version=$$($(CLANG_FORMAT) --version) || { echo "$(CLANG_FORMAT) --version failed" >&2; exit 1; }; \
	major=$$(echo "$$version" | sed -n 's/.*clang-format version \([0-9]*\)\..*/\1/p'); \
	if [ "$$major" != "$(CLANG_FORMAT_MAJOR)" ]; then \
	  echo "$(CLANG_FORMAT) is major $${major:-unknown} ($$version); the sources are formatted with" \
	    "clang-format $(CLANG_FORMAT_MAJOR) (Debian: clang-format-$(CLANG_FORMAT_MAJOR))" >&2; exit 1; \
	fi

clean:
	rm -rf build
