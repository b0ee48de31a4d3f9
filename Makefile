# The whole set-up on a fresh Debian 12 machine: `make run` and `make test`.
# The targets a user starts (run, test, dist, dist-check, bench, fuzz, soak,
# screenshot) first install the packages that are missing
# (scripts/debian-packages.txt); native, windows and editor only build.
JOBS ?= 2
# Empty: make fuzz runs a fixed number of executions; FUZZ_SECONDS=N runs for N seconds.
FUZZ_SECONDS ?=
SOAK_EVENTS ?= 5000
SOAK_SEED ?= 1
# Where the releases are published: the winget and Scoop manifests that make
# dist writes point at RELEASE_ADDRESS/download/v<version>/<file> and look for
# new versions at RELEASE_ADDRESS/latest. make dist RELEASE_ADDRESS=... for another.
RELEASE_ADDRESS ?= https://github.com/quillmarch/quillmarch/releases

.PHONY: all deps native windows editor test run bench fuzz soak dist dist-check screenshot format clean
# One step after another: each build already uses every core.
.NOTPARALLEL:

all: native windows

deps:
	@scripts/install-deps.sh

# What each target needs, by the groups of scripts/debian-packages.txt.
deps-%:
	@scripts/install-deps.sh $(subst +, ,$*)

native:
	cmake --preset native >/dev/null
	cmake --build --preset native -j $(JOBS)

windows:
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j $(JOBS)

# Only the editor, for make run: no test program is built.
editor:
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j $(JOBS) --target Quillmarch

# The work tree's state is noted first, so the run can tell what it changed.
test: deps-run+test
	@mkdir -p build && scripts/tree-state.sh save build/tree-before-test
	@$(MAKE) --no-print-directory native windows
	scripts/run-tests.sh build/tree-before-test

run: deps-run editor
	scripts/run-editor.sh examples/hall.vrk

bench: deps-run+bench windows
	scripts/run-bench.sh
	scripts/run-editor-bench.sh
	scripts/print-sizes.sh

fuzz: deps-test
	scripts/run-fuzz.sh $(FUZZ_SECONDS)

soak: deps-run+test windows
	scripts/run-soak.sh $(SOAK_EVENTS) $(SOAK_SEED)

# The release files in dist/, from a fresh Windows build.
dist: deps-run+dist
	RELEASE_ADDRESS='$(RELEASE_ADDRESS)' scripts/make-dist.sh

# Two make dist runs of the current commit in other folders, compared byte for byte.
dist-check: deps-run+dist
	RELEASE_ADDRESS='$(RELEASE_ADDRESS)' scripts/dist-check.sh

# Refreshes the README's picture, which no test run touches.
screenshot: deps-run windows
	scripts/take-screenshot.sh

# Formats the C++ files this change touches (see scripts/format.sh).
format:
	@scripts/format.sh

clean:
	rm -rf build dist
