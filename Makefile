# The whole set-up on a fresh Debian 12 machine: `make run` and `make test`.
JOBS ?= 2
FUZZ_SECONDS ?= 600
SOAK_EVENTS ?= 5000
SOAK_SEED ?= 1

.PHONY: all deps native windows test run bench fuzz soak dist dist-check clean

all: native windows

deps:
	@scripts/install-deps.sh

native: deps
	cmake --preset native >/dev/null
	cmake --build --preset native -j $(JOBS)

windows: deps
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j $(JOBS)

test: native windows
	scripts/run-tests.sh

run: windows
	scripts/run-editor.sh examples/hall.vrk

bench: windows
	scripts/run-bench.sh
	scripts/run-editor-bench.sh

fuzz: deps
	scripts/run-fuzz.sh $(FUZZ_SECONDS)

soak: windows
	scripts/run-soak.sh $(SOAK_EVENTS) $(SOAK_SEED)

# The release files in dist/, from a fresh Windows build.
dist: deps
	scripts/make-dist.sh

# Two make dist runs of the current commit in other folders, compared byte for byte.
dist-check: deps
	scripts/dist-check.sh

clean:
	rm -rf build dist
