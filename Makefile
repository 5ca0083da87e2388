# The two set-up commands: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: run test bench dist deps native win32 i686 fuzz clean

deps:
	@bash scripts/install-deps.sh

native: deps
	cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(BUILD)/native -j $(JOBS)

# The Windows build is for i686; on a machine that runs no 32-bit code it is for x86_64, so that
# Wine can run it (tests/wine/wine_arch.sh). A build folder of the other kind is made anew.
win32: deps
	@toolchain=cmake/mingw-$$([ "$$(bash tests/wine/wine_arch.sh)" = win32 ] && echo i686 || echo x86_64).cmake; \
	if [ -f $(BUILD)/win32/CMakeCache.txt ] && ! grep -q "^CMAKE_TOOLCHAIN_FILE.*=$$(pwd)/$$toolchain$$" $(BUILD)/win32/CMakeCache.txt; then \
	  rm -rf $(BUILD)/win32; fi; \
	cmake -S . -B $(BUILD)/win32 -DCMAKE_TOOLCHAIN_FILE=$$(pwd)/$$toolchain -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
	cmake --build $(BUILD)/win32 -j $(JOBS)

# The shipped executables are i686 ones, and their import check runs on every machine. Where the
# Windows build above is for x86_64, they are built here too, though they cannot run here.
i686: win32
	@if [ "$$(bash tests/wine/wine_arch.sh)" != win32 ]; then \
	  cmake -S . -B $(BUILD)/i686 -DCMAKE_TOOLCHAIN_FILE=$$(pwd)/cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null && \
	  cmake --build $(BUILD)/i686 -j $(JOBS) --target quenlox quenlox-unblock; fi

# The fuzz targets need clang's libFuzzer; the tests run each for a bounded number of inputs.
fuzz: deps
	cmake -S . -B $(BUILD)/fuzz -DCMAKE_CXX_COMPILER=clang++ -DQUENLOX_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BUILD)/fuzz -j $(JOBS)

test: native win32 i686 fuzz
	cd $(BUILD)/native && ctest --output-on-failure
	cd $(BUILD)/fuzz && ctest --output-on-failure
	if [ -d $(BUILD)/i686 ] && [ "$$(bash tests/wine/wine_arch.sh)" != win32 ]; then \
	  cd $(BUILD)/i686 && ctest -R '^imports$$' --output-on-failure; fi
	cd $(BUILD)/win32 && ctest --output-on-failure

# Benchmarks on a private Wine desktop; prints one table. Not part of `make test`.
bench: win32 i686
	cmake --build $(BUILD)/win32 --target bench_programs
	bash tests/wine/with_session.sh $(BUILD)/win32/wine-template python3 tests/bench/bench.py $(BUILD)/win32 \
	  $$([ -d $(BUILD)/i686 ] && [ "$$(bash tests/wine/wine_arch.sh)" != win32 ] && echo $(BUILD)/i686/quenlox.exe || echo $(BUILD)/win32/quenlox.exe)

# The release files under dist/: installer, portable zip, SHA-256 sums.
dist: win32
	cmake --build $(BUILD)/win32 --target dist

run: win32
	bash scripts/run.sh $(BUILD)/win32

clean:
	rm -rf $(BUILD) dist
