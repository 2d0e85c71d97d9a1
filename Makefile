# Thin wrapper over the CMake presets: "make run" starts the console, "make
# test" builds and runs every test, optimised and under the sanitizers, and
# "make fuzz SECONDS=N" fuzzes the console for N seconds.
.PHONY: run test tools release sanitize fuzz format clean

SECONDS ?= 60

run: release
	@./build/release/expreval

test: release sanitize
	ctest --preset release
	ctest --preset sanitize

tools:
	@./scripts/ensure-tools.sh

release: tools
	@cmake --preset release >/dev/null
	@cmake --build --preset release

sanitize: tools
	@cmake --preset sanitize >/dev/null
	@cmake --build --preset sanitize

fuzz:
	@./scripts/ensure-tools.sh clang libclang-rt-14-dev
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz
	@./scripts/fuzz.sh $(SECONDS)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
