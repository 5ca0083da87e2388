# The two set-up commands: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: run test dist deps native win32 clean

deps:
	@bash scripts/install-deps.sh

native: deps
	cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(BUILD)/native -j $(JOBS)

win32: deps
	cmake -S . -B $(BUILD)/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
	cmake --build $(BUILD)/win32 -j $(JOBS)

test: native win32
	cd $(BUILD)/native && ctest --output-on-failure
	cd $(BUILD)/win32 && ctest --output-on-failure

# The release files under dist/: installer, portable zip, SHA-256 sums.
dist: win32
	cmake --build $(BUILD)/win32 --target dist

run: win32
	bash scripts/run.sh $(BUILD)/win32

clean:
	rm -rf $(BUILD) dist
