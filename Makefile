# Palimp: the front door. `make run` starts the editor, `make test` passes the tests.
# Everything is a thin wrapper over the CMake presets in CMakePresets.json.

JOBS ?= $(shell nproc 2>/dev/null || echo 2)

# The Windows build this host runs under Wine, for the Windows tests, `make run`, the screenshots
# and the GUI benchmarks: build/mingw (i686, the product), or build/mingw64 (x86_64) where the
# host runs no 32-bit code. Expanded when a recipe runs, after bootstrap has installed Wine.
WINBUILD = build/$(if $(filter i686,$(shell scripts/wine-run --arch)),mingw,mingw64)

.PHONY: all bootstrap native mingw run test bench fuzz probe screenshots install clean

PREFIX ?= /usr/local

all: native mingw

bootstrap:
	@scripts/bootstrap

native: bootstrap
	cmake --preset native -DPALIMP_CROSS_BUILD_DIR=$(CURDIR)/$(WINBUILD) >/dev/null
	cmake --build --preset native -j $(JOBS)

# Palimp.exe for i686 always; where the host cannot run it, its tests come from the x86_64 build.
mingw: bootstrap
	cmake --preset mingw >/dev/null
	@if [ "$(WINBUILD)" = build/mingw ]; then \
	  cmake --build --preset mingw -j $(JOBS); \
	else \
	  cmake --build --preset mingw -j $(JOBS) --target Palimp && \
	  cmake --preset mingw64 >/dev/null && cmake --build --preset mingw64 -j $(JOBS); \
	fi

run: mingw
	scripts/wine-run --state build/run-wine --use-display --desktop $(WINBUILD)/Palimp.exe $(ARGS)

test: native mingw
	ctest --test-dir build/native --output-on-failure -j $(JOBS)

bench: native mingw
	scripts/bench
	scripts/bench-gui $(WINBUILD)

fuzz: native
	scripts/fuzz 300

# The write paths of palimp-replace tried hard (metadata, streams, signals, full disks,
# concurrent runs, malformed inputs, fuzzing); prints "N cases tried, D defects, B bytes lost".
# PROBE_ARGS=--long for larger files and longer fuzzing, --wine for the Windows build too
# (after make mingw). make test does not run it.
probe: native
	python3 bench/tools/reliability_probe.py $(PROBE_ARGS)

screenshots: mingw
	scripts/screenshots $(WINBUILD)

# palimp-replace, its manual page, its bash completion and the starter tables, under PREFIX
# (DESTDIR in front, for packages): make install PREFIX=/usr DESTDIR=/tmp/stage
install: native
	DESTDIR=$(DESTDIR) cmake --install build/native --prefix $(PREFIX)

clean:
	rm -rf build
