# The two commands a newcomer needs: `make run` and `make test`.
# Both install what is missing, configure and build first.

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build run test check-asan package install clean

all: build

deps:
	./scripts/install-deps

# Configuring every time is cheap and picks up folders that appeared since.
configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) > /dev/null

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/bin/quorvane

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The calculator, qvrpl, qvcalc, the calculator's tests and every fuzz target
# under the address and undefined-behaviour sanitizers (clang). Leaks are not
# looked for: Qt keeps process-lifetime allocations that would drown them.
ASAN_DIR ?= build-asan
check-asan: deps
	CC=clang CXX=clang++ cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DQV_SANITIZE=ON -DQV_FUZZ=ON -DQV_USE_PCH=OFF > /dev/null
	cmake --build $(ASAN_DIR) -j $(JOBS) --target qvrpl qvcalc tst_emu48api tst_machine tst_qvrpl tst_engine tst_fuzzcorpus \
	  fuzz_compiler fuzz_objectFile fuzz_stateFile fuzz_languageFile fuzz_settingsFile \
	  fuzz_adbFile fuzz_grbFile tst_shellfuzzcorpus
	cd $(ASAN_DIR) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
	  ctest --output-on-failure -R "tst_emu48api|tst_machine|tst_qvrpl|tst_engine|tst_fuzzcorpus|tst_shellfuzzcorpus"
	for t in compiler objectFile stateFile; do \
	  ASAN_OPTIONS=detect_leaks=0 $(ASAN_DIR)/bin/fuzz_$$t -runs=0 tests/calc/fuzz-corpus/$$t || exit 1; done
	for t in languageFile settingsFile; do \
	  ASAN_OPTIONS=detect_leaks=0 $(ASAN_DIR)/bin/fuzz_$$t -runs=0 tests/shell/fuzz-corpus/$$t || exit 1; done
	ASAN_OPTIONS=detect_leaks=0 $(ASAN_DIR)/bin/fuzz_adbFile -runs=0 tests/flowchart/data/fuzz-corpus/adb
	ASAN_OPTIONS=detect_leaks=0 $(ASAN_DIR)/bin/fuzz_grbFile -runs=0 tests/generators/data/fuzz-corpus/grb

# A Debian package in $(BUILD_DIR): apt install ./$(BUILD_DIR)/quorvane_*.deb
package: build
	cd $(BUILD_DIR) && cpack -G DEB

# Into PREFIX (default /usr/local; PREFIX=~/.local needs no root).
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD_DIR)
