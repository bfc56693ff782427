# Palimp: the front door. `make run` starts the editor, `make test` passes the tests.
# Everything is a thin wrapper over the CMake presets in CMakePresets.json.

JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all bootstrap native mingw run test bench fuzz screenshots install clean

PREFIX ?= /usr/local

all: native mingw

bootstrap:
	@scripts/bootstrap

native: bootstrap
	cmake --preset native >/dev/null
	cmake --build --preset native -j $(JOBS)

mingw: bootstrap
	cmake --preset mingw >/dev/null
	cmake --build --preset mingw -j $(JOBS)

run: mingw
	scripts/wine-run --state build/run-wine --use-display --desktop build/mingw/Palimp.exe $(ARGS)

test: native mingw
	ctest --test-dir build/native --output-on-failure -j $(JOBS)

bench: native mingw
	scripts/bench
	scripts/bench-gui

fuzz: native
	scripts/fuzz 300

screenshots: mingw
	scripts/screenshots

# palimp-replace, its manual page, its bash completion and the starter tables, under PREFIX
# (DESTDIR in front, for packages): make install PREFIX=/usr DESTDIR=/tmp/stage
install: native
	DESTDIR=$(DESTDIR) cmake --install build/native --prefix $(PREFIX)

clean:
	rm -rf build
