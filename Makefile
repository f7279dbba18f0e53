# Two entry points: `make run` and `make test`. Both install what is missing and build first.
BUILD ?= build
JOBS  ?= 2
DEMO_DB ?= $(BUILD)/demo-hotel.sqlite

.PHONY: all deps build run test bench soak clean

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
