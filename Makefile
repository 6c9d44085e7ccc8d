# Entry points for newcomers and CI. The build directories are disposable.
BUILD      ?= build
TEST_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")
JOBS       ?= $(shell nproc)

.PHONY: all deps build run test fuzz bench format screenshot report-sample clean

all: build

deps:
	@scripts/bootstrap

build: deps
	@cmake -S . -B $(BUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run $(BUILD)

test: deps
	@cmake -S . -B $(TEST_BUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Debug \
		-DORVEL_SANITIZE=ON -DORVEL_WERROR=ON >/dev/null
	@cmake --build $(TEST_BUILD) -j $(JOBS)
	@cd $(TEST_BUILD) && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j $(JOBS) --timeout 300

fuzz:
	@scripts/bootstrap --fuzz
	@cmake -S . -B $(FUZZ_BUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_CXX_COMPILER=clang++ -DORVEL_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets
	@scripts/fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

bench: build
	@scripts/bench $(BUILD)

screenshot: build
	@scripts/screenshot $(BUILD) out

report-sample: build
	@scripts/report-sample $(BUILD) out

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(FUZZ_BUILD)
