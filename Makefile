# Entry points for newcomers and CI. The build directories are disposable.
BUILD      ?= build
TEST_BUILD ?= build-asan
WIN_BUILD  ?= build-windows
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")
JOBS       ?= $(shell nproc)

.PHONY: all deps build run test test-windows bench format screenshot report-sample clean

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

test-windows:
	@scripts/bootstrap windows
	@scripts/test-windows $(WIN_BUILD)

bench: build
	@scripts/bench $(BUILD)

screenshot: build
	@scripts/screenshot $(BUILD) out

report-sample: build
	@scripts/report-sample $(BUILD) out

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(WIN_BUILD)
