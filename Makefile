# Two commands for a fresh Debian machine:
#   make run   installs what is missing, builds the configurator, the relay
#              simulator and tzlctl, and shows the link talking to the simulator
#   make test  installs what is missing, builds, and runs every test
#   make fuzz  runs every fuzz target for FUZZ_SECONDS each (clang, build-fuzz/)

MAKEFLAGS += --no-print-directory

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
FUZZ_SECONDS ?= 60

.PHONY: all deps configure build test soak run fuzz clean

all: build

deps:
	@./scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) > /dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j$(JOBS)

# The soak test runs for minutes on purpose; `make soak` runs it alone.
test: build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -j$(JOBS) -LE soak

soak: build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -V -L soak

# The demonstration needs only the three programs, not the test suite.
run: configure
	@cmake --build $(BUILD_DIR) -j$(JOBS) --target tzl-configurator tzl-relay-sim tzlctl
	@./scripts/run-demo $(BUILD_DIR)/bin

fuzz: deps
	@./scripts/run-fuzzers --seconds $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD_DIR)
