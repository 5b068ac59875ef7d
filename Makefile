# Thin driver over the CMake presets; the build itself lives in CMakeLists.txt.
CMAKE ?= cmake
CTEST ?= ctest
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
SANITIZE ?= 0

ifeq ($(shell command -v $(CMAKE) 2>/dev/null),)
$(error cmake was not found; install CMake 3.25 or newer)
endif

.PHONY: all build run test test-release test-asan clean

all: build

build: build/release/CMakeCache.txt
	$(CMAKE) --build --preset release -j $(JOBS)

build/%/CMakeCache.txt: | CMakePresets.json
	$(CMAKE) --preset $*

run: build
	./build/release/treebench

# The measuring tools under bench/, in the optimised build.
.PHONY: bench
bench: build/release/CMakeCache.txt
	$(CMAKE) --build --preset release -j $(JOBS) --target treebench-bench

test: test-release
ifeq ($(SANITIZE),1)
test: test-asan
endif

test-release: build/release/CMakeCache.txt
	$(CMAKE) --build --preset release -j $(JOBS)
	$(CTEST) --preset release -j $(JOBS)

test-asan: build/asan/CMakeCache.txt
	$(CMAKE) --build --preset asan -j $(JOBS)
	$(CTEST) --preset asan -j $(JOBS)

clean:
	rm -rf build

# Installs the optimised programs and their manual pages under PREFIX
# (DESTDIR in the environment is honoured too).
PREFIX ?= /usr/local
.PHONY: install
install: build
	$(CMAKE) --install build/release --prefix "$(PREFIX)"
