# make        builds setup.exe, the sample medium and the test programs
# make test   builds everything and runs every test under Wine
# make demo   runs the wizard on the sample medium
BUILD   := build
APP     := $(BUILD)/app
TESTS   := $(BUILD)/tests
MEDIUM  := $(BUILD)/medium
# The same sources as 64-bit programs, for a machine whose kernel cannot run
# 32-bit ones (IA32 emulation off): the Wine tests then run on these.
X64     := $(BUILD)/x64
TOOLCHAIN := $(CURDIR)/cmake/toolchain-mingw-i686.cmake
JOBS    ?= 2
MAKEFLAGS += --no-print-directory

.PHONY: all deps app medium tests x64 test demo clean

all: app medium tests

deps:
	@tools/install-deps.sh

app: deps
	@cmake -S . -B $(APP) -DCMAKE_TOOLCHAIN_FILE=$(TOOLCHAIN) -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
	@cmake --build $(APP) -j $(JOBS)

medium: app
	@tools/make-medium.sh $(APP)/setup.exe $(MEDIUM)

tests: app medium
	@cmake -S . -B $(TESTS) -DCMAKE_TOOLCHAIN_FILE=$(TOOLCHAIN) -DSETUP_MINGW_THREADS=posix \
	    -DSETUP_BUILD_TESTS=ON -DSETUP_PRODUCT_DIR=$(CURDIR)/$(BUILD) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(TESTS) -j $(JOBS)

x64: deps
	@cmake -S . -B $(X64)/app -DCMAKE_TOOLCHAIN_FILE=$(TOOLCHAIN) -DSETUP_MINGW_ARCH=x86_64 \
	    -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
	@cmake --build $(X64)/app -j $(JOBS)
	@tools/make-medium.sh $(X64)/app/setup.exe $(X64)/medium
	@cmake -S . -B $(X64)/tests -DCMAKE_TOOLCHAIN_FILE=$(TOOLCHAIN) -DSETUP_MINGW_ARCH=x86_64 \
	    -DSETUP_MINGW_THREADS=posix -DSETUP_BUILD_TESTS=ON -DSETUP_PRODUCT_DIR=$(CURDIR)/$(X64) \
	    -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(X64)/tests -j $(JOBS)

test: all
	@if tools/runs-32bit.sh; then \
	    tools/run-tests.sh $(TESTS); \
	else \
	    echo "test: this machine cannot run 32-bit programs (its kernel's IA32 emulation is off);"; \
	    echo "test: the Wine tests run on a 64-bit build of the same sources instead"; \
	    $(MAKE) x64 && tools/run-tests.sh --host-only $(TESTS) && tools/run-tests.sh $(X64)/tests; \
	fi

demo: medium tests
	@if tools/runs-32bit.sh; then \
	    tools/demo.sh $(MEDIUM); \
	else \
	    echo "demo: this machine cannot run 32-bit programs; showing a 64-bit build of the wizard"; \
	    $(MAKE) x64 && tools/demo.sh $(X64)/medium $(X64)/tests/tests/e2e/drive_wizard.exe $(X64)/app/medcheck.exe; \
	fi

clean:
	rm -rf $(BUILD)
