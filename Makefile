# Front door of the build: `make` builds both Windows executables into dist/, `make test` runs
# every test tier. CMake and Ninja do the work in three trees under build/.
BUILD  := build
CMAKE  := cmake -G Ninja -Wno-dev
CONFIG := MinSizeRel

.PHONY: all dist demo test deps native win64 win32 clean screenshot release size-report

all: deps
	@$(MAKE) --no-print-directory dist

deps:
	@scripts/install-deps.sh

$(BUILD)/win64/build.ninja:
	$(CMAKE) -S . -B $(BUILD)/win64 -DCMAKE_BUILD_TYPE=$(CONFIG) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
$(BUILD)/win32/build.ninja:
	$(CMAKE) -S . -B $(BUILD)/win32 -DCMAKE_BUILD_TYPE=$(CONFIG) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
$(BUILD)/native/build.ninja:
	$(CMAKE) -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=Debug

win64: $(BUILD)/win64/build.ninja
	cmake --build $(BUILD)/win64
win32: $(BUILD)/win32/build.ninja
	cmake --build $(BUILD)/win32
native: $(BUILD)/native/build.ninja
	cmake --build $(BUILD)/native

dist: win64 win32
	mkdir -p dist
	cp $(BUILD)/win64/bin/quorvane64.exe $(BUILD)/win64/bin/quorvane64w.exe \
	   $(BUILD)/win32/bin/quorvane.exe $(BUILD)/win32/bin/quorvanew.exe dist/

# dist/quorvane-<version>.zip: the four executables, the example configuration, README, docs,
# licence and notices, with SHA256SUMS.
release: deps
	@$(MAKE) --no-print-directory dist
	python3 scripts/make-release.py

# The main job on a sample application, under Wine with the project's test runtime.
demo: deps
	@$(MAKE) --no-print-directory dist
	@scripts/demo.sh

# The picture of the missing-runtime dialog in docs/images/, taken on a virtual display.
screenshot: deps
	@$(MAKE) --no-print-directory dist
	@scripts/make-screenshot.sh

# Every tier: native unit tests (sanitizers), Windows tests of both builds under Wine, and the
# end-to-end tests of the deliverables. A fresh Wine prefix per run.
test: deps
	rm -rf $(BUILD)/wineprefix $(BUILD)/wineprefix.lock $(BUILD)/wineprefix-gui $(BUILD)/wineprefix-gui.lock
	$(MAKE) --no-print-directory release native
	ctest --test-dir $(BUILD)/native --output-on-failure -j2
	ctest --test-dir $(BUILD)/win64 --output-on-failure -j2
	ctest --test-dir $(BUILD)/win32 --output-on-failure -j2

# Every fuzz target for FUZZ_RUNS executions (FUZZ_SECONDS, when set, caps each run's time), over
# the same corpora as the short runs of `make test`; the counts go into docs/testing.md.
FUZZ_RUNS ?= 10000000
FUZZ_SECONDS ?= 0
.PHONY: fuzz
fuzz: $(BUILD)/native/build.ninja
	cmake --build $(BUILD)/native --target fuzz_targets
	python3 scripts/fuzz-all.py --build $(BUILD)/native --runs $(FUZZ_RUNS) --max-seconds $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) dist

# Bytes per source in each deliverable (project, C++ runtime, C runtime, imports, resources),
# from the linker's maps; docs/performance.md keeps the table.
size-report: deps
	@$(MAKE) --no-print-directory dist
	@python3 scripts/size-report.py $(BUILD)/win64/bin/quorvane64.map $(BUILD)/win64/bin/quorvane64w.map \
		$(BUILD)/win32/bin/quorvane.map $(BUILD)/win32/bin/quorvanew.map

# Start-up benchmark (bench/README.md): under Wine, the launchers in dist/ against a bare executable
# of the same toolchain that only loads the same jvm.dll, class-path and registry scaling; natively,
# the launcher's core hosting HotSpot against the java command. Prints Markdown and writes it to
# build/bench/results.md. `make bench BENCH_RUNS=41` for steadier medians.
BENCH_RUNS ?= 21
BENCH_CXX_FLAGS := -O2 -static -s -municode -Wall -Wextra
# The native side: the platform-neutral core from a release tree of its own, without sanitizers.
BENCH_JDK := /usr/lib/jvm/java-17-openjdk-amd64
BENCH_NATIVE_FLAGS := -O2 -std=c++17 -Wall -Wextra -I src -I tests -isystem $(BENCH_JDK)/include \
	-isystem $(BENCH_JDK)/include/linux -static-libstdc++ -static-libgcc

.PHONY: bench bench-core
$(BUILD)/bench/bare_start64.exe: bench/bare_start.cpp
	mkdir -p $(@D)
	x86_64-w64-mingw32-g++-posix $(BENCH_CXX_FLAGS) -o $@ $<
$(BUILD)/bench/bare_start32.exe: bench/bare_start.cpp
	mkdir -p $(@D)
	i686-w64-mingw32-g++-posix $(BENCH_CXX_FLAGS) -o $@ $<
$(BUILD)/bench-native/build.ninja:
	$(CMAKE) -S . -B $(BUILD)/bench-native -DCMAKE_BUILD_TYPE=Release -DQZ_SANITIZE=OFF
bench-core: $(BUILD)/bench-native/build.ninja
	cmake --build $(BUILD)/bench-native --target quorvane_core
$(BUILD)/bench/native_launch: bench/native_launch.cpp $(BUILD)/bench-native/libquorvane_core.a
	mkdir -p $(@D)
	g++ $(BENCH_NATIVE_FLAGS) -o $@ $^ -ldl -lpthread

# Rhino, the JavaScript shell from Debian's packages, is the application class data sharing starts.
bench: deps
	@scripts/install-deps.sh rhino
	@$(MAKE) --no-print-directory dist $(BUILD)/bench/bare_start64.exe $(BUILD)/bench/bare_start32.exe \
		bench-core
	@$(MAKE) --no-print-directory $(BUILD)/bench/native_launch
	python3 bench/startup.py --runs $(BENCH_RUNS)
