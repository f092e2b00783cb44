# Quick start: `make demo` packs the bundled examples, `make test` runs every test.
JOBS  ?= $(shell nproc)
BUILD ?= build
ASAN  ?= build-asan
FUZZ  ?= build-fuzz
FUZZ_SECONDS ?= 20
PREFIX ?= /usr/local

.PHONY: all deps build demo test test-release test-asan fuzz fuzz-smoke bench install package screenshots clean

all: build

deps:
	@scripts/install-deps.sh

# build, test-release, test-asan and fuzz never install anything: a missing
# library is reported by CMake by name. deps, demo and test install first.
build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS)

demo: deps
	@$(MAKE) --no-print-directory build
	@rm -rf $(BUILD)/demo && cp -r examples $(BUILD)/demo
	$(BUILD)/cli/tessolo-cli --style 1 $(BUILD)/demo
	@echo "Sheet and stylesheet written to $(abspath $(BUILD)/demo)"

test: deps
	@$(MAKE) --no-print-directory test-release test-asan fuzz-smoke

test-release: build
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

test-asan:
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DTESSOLO_SANITIZE=ON -DTESSOLO_BENCH=OFF
	cmake --build $(ASAN) -j$(JOBS)
	ctest --test-dir $(ASAN) --output-on-failure -j$(JOBS)

# Builds every libFuzzer target with clang and replays its seed corpus.
fuzz:
	CC=clang-14 CXX=clang++-14 cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSOLO_FUZZ=ON
	cmake --build $(FUZZ) -j$(JOBS)

# A fixed seed makes the smoke run the same mutations on every machine, so a
# test run that passed here passes in CI; real sessions pick their own.
fuzz-smoke: fuzz
	@fuzz/run-all.sh $(FUZZ) -runs=2000 -seed=1

bench: build
	@bench/run.sh $(BUILD)

# Puts tessolo and tessolo-cli in $(PREFIX)/bin, with the desktop entry and icon,
# the manual pages and the bash completion.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# tessolo_<version>_<arch>.deb in $(BUILD), from the same install rules.
package: build
	cd $(BUILD) && cpack --config CPackConfig.cmake

# Pictures of the windows for docs/: the program builds a copy of examples/
# offscreen, with a home folder and settings of its own.
screenshots: build
	@rm -rf $(BUILD)/screenshots && mkdir -p $(BUILD)/screenshots/config
	@cp -r examples $(BUILD)/screenshots/icons && rm -f $(BUILD)/screenshots/icons/*.py
	QT_QPA_PLATFORM=offscreen HOME=$(abspath $(BUILD)/screenshots) TESSOLO_UPDATE_HOST=127.0.0.1:9 \
	  XDG_CONFIG_HOME=$(abspath $(BUILD)/screenshots/config) \
	  $(BUILD)/app/tessolo --screenshots docs $(BUILD)/screenshots/icons

clean:
	rm -rf $(BUILD) $(ASAN) $(FUZZ)
