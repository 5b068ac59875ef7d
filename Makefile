# Thin driver over the CMake presets; the build itself lives in CMakeLists.txt.
CMAKE ?= cmake
CTEST ?= ctest
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
SANITIZE ?= 0
# WERROR=1 makes every warning fail the build, as in CI; WERROR=0 turns that
# off again. Left empty, a build folder keeps what it has.
WERROR ?=
WERROR_OPTION = $(if $(WERROR),-DTREEBENCH_WERROR=$(if $(filter 1,$(WERROR)),ON,OFF))
# Gives the existing folder build/$(1) the options $(2) and those asked for
# on the command line; not through its preset, which would reset the
# options set by hand.
set-options = $(if $(strip $(2) $(WERROR_OPTION)),$(CMAKE) -S . -B build/$(1) $(2) $(WERROR_OPTION),@true)

ifeq ($(shell command -v $(CMAKE) 2>/dev/null),)
$(error cmake was not found; install CMake 3.25 or newer)
endif

.PHONY: all build run view explain curve learn bench test test-release test-asan clean install fuzz soak test-valgrind

all: build

# Everything the release folder is configured for.
build: build/release/CMakeCache.txt
	$(call set-options,release)
	$(CMAKE) --build --preset release -j $(JOBS)

build/%/CMakeCache.txt: | CMakePresets.json
	$(CMAKE) --preset $* $(WERROR_OPTION)

# Builds only the programs $(1) in the release folder. A folder made here
# leaves the tests out: looking GoogleTest up, or downloading it, happens at
# configure time, and trying a program needs neither it nor the suite.
# `make test` turns the tests on later.
define build-programs
	@test -f build/release/CMakeCache.txt || \
	  $(CMAKE) --preset release -DTREEBENCH_BUILD_TESTS=OFF $(WERROR_OPTION)
	$(call set-options,release)
	$(CMAKE) --build --preset release -j $(JOBS) --target $(1)
endef

run:
	$(call build-programs,treebench)
	./build/release/treebench

view:
	$(call build-programs,treebench-view)

explain:
	$(call build-programs,treebench-explain)

curve:
	$(call build-programs,treebench-curve)

learn:
	$(call build-programs,treebench-learn)

# The measuring tools: treebench-bench (src/tools/bench), the textbook
# learner's treebench-textbook-bench and, where Google Benchmark is
# installed, the classification benchmark under bench/.
bench:
	$(call build-programs,treebench-bench treebench-textbook-bench)

test: test-release
ifeq ($(SANITIZE),1)
test: test-asan
endif

test-release: build/release/CMakeCache.txt
	$(call set-options,release,-DTREEBENCH_BUILD_TESTS=ON)
	$(CMAKE) --build --preset release -j $(JOBS)
	$(CTEST) --preset release -j $(JOBS)

test-asan: build/asan/CMakeCache.txt
	$(call set-options,asan,-DTREEBENCH_BUILD_TESTS=ON)
	$(CMAKE) --build --preset asan -j $(JOBS)
	$(CTEST) --preset asan -j $(JOBS)

clean:
	rm -rf build

# Installs the optimised programs and their manual pages under PREFIX
# (DESTDIR in the environment is honoured too).
PREFIX ?= /usr/local
install:
	$(call build-programs,treebench treebench-view treebench-explain treebench-curve treebench-learn)
	$(CMAKE) --install build/release --prefix "$(PREFIX)"

# The fuzzers run on a scratch copy of the seed corpus, so that what they
# find never lands in fuzz/corpus; a crash leaves its input in
# build/fuzz/crashes and fails the target.
FUZZ_SECONDS ?= 60
FUZZ_INDUCTION_SECONDS ?= $(FUZZ_SECONDS)
FUZZ_DATA_SECONDS ?= $(FUZZ_INDUCTION_SECONDS)
FUZZ_RUN = build/fuzz/run
FUZZ_FLAGS = -print_final_stats=1 -artifact_prefix=build/fuzz/crashes/

fuzz: build/fuzz/CMakeCache.txt
	$(call set-options,fuzz)
	$(CMAKE) --build --preset fuzz -j $(JOBS)
	rm -rf $(FUZZ_RUN)
	mkdir -p $(FUZZ_RUN) build/fuzz/crashes
	cp -R fuzz/corpus/tree_file fuzz/corpus/induction fuzz/corpus/data_file $(FUZZ_RUN)/
	./build/fuzz/tree_file_fuzz $(FUZZ_FLAGS) -max_len=24576 -max_total_time=$(FUZZ_SECONDS) $(FUZZ_RUN)/tree_file
	./build/fuzz/induction_fuzz $(FUZZ_FLAGS) -max_len=2048 -max_total_time=$(FUZZ_INDUCTION_SECONDS) $(FUZZ_RUN)/induction
	./build/fuzz/data_file_fuzz $(FUZZ_FLAGS) -max_len=4096 -max_total_time=$(FUZZ_DATA_SECONDS) $(FUZZ_RUN)/data_file

# The soak session at any length (KEYS keys) under the sanitizers, run
# directly so that no test timeout cuts it short; it prints the figures.
KEYS ?= 5000000
soak: build/asan/CMakeCache.txt
	$(call set-options,asan,-DTREEBENCH_BUILD_TESTS=ON)
	$(CMAKE) --build --preset asan -j $(JOBS)
	TREEBENCH_SOAK_KEYS=$(KEYS) ./build/asan/treebench_soak

# The sessions of the real program again, each started under valgrind; an
# error or a leak fails the test through the exit status. Left out: the test
# that caps the program's file size, since the cap stops valgrind itself; the
# one of Ctrl-Z, since a program under valgrind does not stop on it; and the
# table of every ending signal, some of which valgrind keeps for itself.
VALGRIND ?= valgrind --error-exitcode=1 --leak-check=full \
  --errors-for-leak-kinds=definite,indirect,possible --quiet
test-valgrind: build/release/CMakeCache.txt
	$(call set-options,release,-DTREEBENCH_BUILD_TESTS=ON)
	$(CMAKE) --build --preset release -j $(JOBS)
	TREEBENCH_WRAPPER="$(VALGRIND)" $(CTEST) --preset release -j $(JOBS) \
	  -R '^(PipeSession|TerminalTest|TerminalSignals)\.' -E 'BeyondTheFileSizeLimit|AStopUnderAParent|EveryEndingSignal'
