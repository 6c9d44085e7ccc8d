# Entry points for newcomers and CI. The build directories are disposable.
BUILD      ?= build
TEST_BUILD ?= build-asan
WIN_BUILD  ?= build-windows
PACKAGE_BUILD ?= build-package
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")
JOBS       ?= $(shell nproc)

.PHONY: all deps build run test orvelsim-native windows windows-installer test-windows windows-serial windows-screenshot fuzz bench format screenshot manual report-sample package package-check clean

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

# Windows (64-bit, mingw-w64, against Qt built for it: scripts/qt-windows keeps it in a cache).
windows:
	@scripts/bootstrap windows
	@scripts/windows-build $(WIN_BUILD)

# out/orveltool-VERSION-windows-x64-setup.exe and out/orveltool-VERSION-windows-x64.zip
windows-installer:
	@scripts/bootstrap windows
	@scripts/windows-installer $(WIN_BUILD) out

# orvelsim, the Linux virtual radio, stands behind wine's COM5.
orvelsim-native: deps
	@cmake -S . -B $(BUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target orvelsim

test-windows: orvelsim-native
	@scripts/bootstrap windows
	@scripts/test-windows $(WIN_BUILD) $(BUILD)/bin/orvelsim

windows-serial: orvelsim-native windows
	@scripts/wine-serial-check $(WIN_BUILD) $(BUILD)/bin/orvelsim

windows-screenshot: windows
	@scripts/windows-screenshot $(WIN_BUILD) out

fuzz:
	@scripts/bootstrap fuzz
	@cmake -S . -B $(FUZZ_BUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_CXX_COMPILER=clang++ -DORVEL_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets
	@scripts/fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

bench: build
	@scripts/bench $(BUILD)

screenshot: build
	@scripts/screenshot $(BUILD) out

# The user manual: out/manual/zh_CN/, out/manual/en/ and a PDF of each (see "The manual"),
# with the pages of the Windows installer as pictures. Of this build it needs the two programs
# whose help and window it shows, not the tests. MANUAL_INSTALLER=no leaves the Windows build
# out and puts a note in place of each installer's page: for a look at the text, not a release.
MANUAL_INSTALLER ?= yes
manual: deps $(if $(filter no,$(MANUAL_INSTALLER)),,windows-installer)
	@scripts/bootstrap manual
	@cmake -S . -B $(BUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target orveltool orvelctl
	@scripts/manual $(BUILD) out $(if $(filter no,$(MANUAL_INSTALLER)),--no-installer)

report-sample: build
	@scripts/report-sample $(BUILD) out

# A release build of the programs (no tests) with Debian's hardening flags, installed under
# /usr and packed by CPack.
package: export DEB_BUILD_MAINT_OPTIONS = hardening=+all
package: manual
	@scripts/bootstrap package
	@cmake -S . -B $(PACKAGE_BUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON -DBUILD_TESTING=OFF \
		-DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
		-DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)" >/dev/null
	@cmake --build $(PACKAGE_BUILD) -j $(JOBS) --target orveltool orvelctl orvelsim orvel_package_files
	@cd $(PACKAGE_BUILD) && cpack -G DEB

package-check: package
	@scripts/bootstrap package-check
	@scripts/package-check $(PACKAGE_BUILD)

format:
	@scripts/bootstrap format
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(WIN_BUILD) $(PACKAGE_BUILD) $(FUZZ_BUILD)
