# Thin wrapper over the CMake presets: "make run" starts the console, "make
# test" builds and runs every test, optimised and under the sanitizers.
.PHONY: run test tools release sanitize format clean

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

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
