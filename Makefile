# make        builds setup.exe, the sample medium and the test programs
# make test   builds everything and runs every test under Wine
# make demo   runs the wizard on the sample medium
BUILD   := build
APP     := $(BUILD)/app
TESTS   := $(BUILD)/tests
MEDIUM  := $(BUILD)/medium
# Wine's loaders under CPU emulation, where the kernel runs no 32-bit code.
LOADER  := $(BUILD)/loader
TOOLCHAIN := $(CURDIR)/cmake/toolchain-mingw-i686.cmake
JOBS    ?= 2
MAKEFLAGS += --no-print-directory

.PHONY: all deps loader locale app medium tests test demo clean

all: app medium locale tests

deps:
	@tools/install-deps.sh

app: deps
	@cmake -S . -B $(APP) -DCMAKE_TOOLCHAIN_FILE=$(TOOLCHAIN) -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
	@MAKEFLAGS= cmake --build $(APP) -j $(JOBS)

medium: app
	@tools/make-medium.sh $(APP)/setup.exe $(MEDIUM)

# The locales test entries run Wine in (its ANSI code page), made into the
# build tree where the system lacks them.
locale: deps
	@tools/make-locale.sh $(BUILD)/locale ja_JP.UTF-8

# The test programs need only the product's paths, not its build: the two
# trees build side by side under `make -j2 all`, each with its own jobs
# (hence no jobserver handed down).
tests: deps
	@cmake -S . -B $(TESTS) -DCMAKE_TOOLCHAIN_FILE=$(TOOLCHAIN) -DSETUP_MINGW_THREADS=posix \
	    -DSETUP_BUILD_TESTS=ON -DSETUP_PRODUCT_DIR=$(CURDIR)/$(BUILD) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@MAKEFLAGS= cmake --build $(TESTS) -j $(JOBS)

loader: deps
	@tools/make-loader.sh $(LOADER)

# The loader and the templates are made while the build runs; the packages
# are installed before either starts.
test: deps
	@tools/run-tests.sh --loader '$(MAKE) loader' --build '$(MAKE) -j2 all' $(TESTS)

demo: medium tests loader
	@cmake --build $(TESTS) --target drive_wizard -j $(JOBS)
	@tools/demo.sh $(MEDIUM)

clean:
	rm -rf $(BUILD)
