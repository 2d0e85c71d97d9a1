# Thin wrapper over the CMake presets: "make run" starts the console, "make
# test" builds and runs every test, optimised, under the sanitizers (the
# tests of sessions under ThreadSanitizer too) and, in the optimised build,
# the unit and transcript tests again on the reference road, then runs random
# sessions through the console on both roads, which must answer alike; "make
# fuzz SECONDS=N" fuzzes for N seconds in all, and "make bench" times the
# console against bc and python3, and the library in a host program against
# muparser (a few minutes).
# Set-up and build progress go to standard error, so that standard output
# carries only what is asked for: "printf '1+2\n.\n' | make run" shows
# exactly the dialogue.
.PHONY: run test bench tools release sanitize tsan fuzz format clean

SECONDS ?= 60
BENCH_PACKAGES := bc hyperfine gnuplot-nox libbenchmark-dev libmuparser-dev python3
# The report and the plot stay in build/; the picture the README shows
# changes only on purpose: make bench BENCH_PLOT=bench/results/w3-list-size.png
BENCH_PLOT ?= build/bench/w3-list-size.png

run: release
	@./build/release/expreval

test: release sanitize tsan
	ctest --preset release
	ctest --preset reference
	ctest --preset sanitize
	ctest --preset tsan
	python3 tests/differential/compare_roads.py build/release/expreval

bench:
	@./scripts/ensure-tools.sh $(BENCH_PACKAGES)
	@cmake --preset bench >/dev/null
	@cmake --build --preset bench
	python3 bench/run_bench.py --build build/bench --plot $(BENCH_PLOT) \
		--report build/bench/report.md

tools:
	@./scripts/ensure-tools.sh >&2

release: tools
	@cmake --preset release >/dev/null
	@cmake --build --preset release >&2

sanitize: tools
	@cmake --preset sanitize >/dev/null
	@cmake --build --preset sanitize

tsan: tools
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan

fuzz:
	@./scripts/ensure-tools.sh clang libclang-rt-14-dev
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz
	@./scripts/fuzz.sh $(SECONDS)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
