# Two entry points: `make run` and `make test`. Both install what is missing and build first.
BUILD ?= build
JOBS  ?= 2
DEMO_DB ?= $(BUILD)/demo-hotel.sqlite

.PHONY: all deps build run test bench soak clean fuzz asan

# What `make run` needs: the module, the host and the demo generator; not the tests.
RUN_TARGETS = tavelin tavelin-host tavelin-demo orlemba

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target $(RUN_TARGETS)
	@BUILD=$(BUILD) DEMO_DB=$(DEMO_DB) scripts/run

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

bench: build
	@BUILD=$(BUILD) scripts/bench

soak: build
	@BUILD=$(BUILD) scripts/soak

clean:
	rm -rf $(BUILD)

# Not part of `make test`: libFuzzer targets built with clang, each run for
# FUZZ_SECONDS over its seeds (scripts/fuzz says where findings go).
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 30

$(FUZZ_BUILD)/build.ninja:
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DTAVELIN_FUZZ=ON

fuzz: deps $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets
	FUZZ_BUILD=$(FUZZ_BUILD) FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/fuzz

# The whole suite once more under AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer, in build-asan (CMakePresets.json, preset asan).
asan: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)
