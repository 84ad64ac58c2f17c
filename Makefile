# Entry points of the README. `make run` and `make test` do all the set-up.
BUILD ?= build
ASAN_BUILD ?= build-asan
RELEASE_BUILD ?= build-release
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test desktop-test install asan-test release-build bench clean

# Warnings are errors in the project's own checks (test, asan-test): they set
# WERROR=ON. `make run` and `make install` leave the
# build folder's choice as it is (off in a fresh folder).
test: WERROR = ON

deps:
	./scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(if $(WERROR),-DCALVANE_WERROR=$(WERROR))

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(BUILD)/program && ./calvane

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --no-tests=error -j $(JOBS)

# The installed program driven through a typical session on a private X
# server (Xvfb, xdotool); screenshots of every window in $(BUILD)/desktop-shots.
desktop-test: build
	/usr/bin/python3 tests/desktop/desktop_test.py --build $(BUILD)

# Installs under PREFIX (default /usr/local); DESTDIR is honoured.
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The core suites under AddressSanitizer and UndefinedBehaviorSanitizer.
asan-test: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCALVANE_BUILD_APP=OFF -DCALVANE_BUILD_BENCH=OFF -DCALVANE_BUILD_PYTHON=OFF -DCALVANE_WERROR=ON \
	  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp ctest --output-on-failure --no-tests=error -L core -j $(JOBS)

# The build a packager makes: Release (-O3) with the default options, where the
# optimiser's own warnings, some of them false (GCC 12's -Wrestrict and
# -Wmaybe-uninitialized on std::string), stay warnings. The core and
# calvane-sim are enough.
release-build: deps
	cmake -S . -B $(RELEASE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCALVANE_BUILD_APP=OFF -DCALVANE_BUILD_TESTS=OFF -DCALVANE_BUILD_BENCH=OFF -DCALVANE_BUILD_PYTHON=OFF
	cmake --build $(RELEASE_BUILD) -j $(JOBS) --target calvane-sim

bench: build
	for b in $(BUILD)/bench/*; do [ -x "$$b" ] && "$$b"; done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(RELEASE_BUILD)
