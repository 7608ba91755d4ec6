# Two commands for a fresh Debian machine:
#   make run   installs what is missing, builds, and shows the link talking to
#              the relay simulator
#   make test  installs what is missing, builds, and runs every test

MAKEFLAGS += --no-print-directory

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build test run clean

all: build

deps:
	@./scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) > /dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j$(JOBS)

test: build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -j$(JOBS)

run: build
	@./scripts/run-demo $(BUILD_DIR)/bin

clean:
	rm -rf $(BUILD_DIR)
