#!/usr/bin/env python3
"""Runs the benchmark suite and prints a table of times and ratios.

The workloads are generated afresh (workloads.py, deterministic). Each one is
first run once by every program with its output checked, which also warms the
file cache; then all programs of a workload run once per round, in turns, for
several rounds, timed by hyperfine, and the medians are reported. W7 and W8
time the library in a host program against muparser (host_bench.cpp, which
checks the two agree and times itself).
"""

import argparse
import json
import os
import platform
import shutil
import statistics
import subprocess
import sys
import tempfile

import workloads

HERE = os.path.dirname(os.path.abspath(__file__))

# host_bench's own count of W7 evaluations per formula and way, and the time
# W7 may take here: on a slower build the count is scaled down to fit.
W7_DEFAULT_COUNT = 1_000_000
W7_SECONDS = 50
W7_WAYS = ("set_number_ns", "bound_ns", "text_ns", "muparser_ns")


class Runner:
    def __init__(self, args):
        self.console = os.path.abspath(os.path.join(args.build, "expreval"))
        self.floor = os.path.abspath(os.path.join(args.build, "bench", "bench_floor"))
        self.micro = os.path.abspath(os.path.join(args.build, "bench", "micro_bench"))
        self.host = os.path.abspath(os.path.join(args.build, "bench", "host_bench"))
        self.w7_count = args.w7_count
        self.work = os.path.abspath(os.path.join(args.build, "workloads"))
        # The Debian interpreter when there is one: the same everywhere.
        self.python = "/usr/bin/python3" if os.path.exists("/usr/bin/python3") else sys.executable
        self.rounds = args.rounds
        # A growth ratio divides one median by another, so a burst of load from
        # other jobs during either size moves it: these take more rounds.
        self.growth_rounds = 2 * args.rounds - 1
        # bc's series take most of the time of W2: fewer rounds there.
        self.w2_rounds = min(args.rounds, 3)
        self.clock = args.clock
        self.w6_rounds = args.rounds
        self.lines = []  # the report, in Markdown

    def path(self, name):
        return os.path.join(self.work, name)

    def console_command(self, name):
        return f"{self.console} < {self.path(name)} > /dev/null"

    def peer_commands(self, name):
        return {
            "expreval": self.console_command(f"{name}.expr"),
            "bc -l": f"BC_LINE_LENGTH=0 bc -l < {self.path(name + '.bc')} > /dev/null",
            "python3": f"{self.python} {HERE}/peer_python.py < {self.path(name + '.py')} > /dev/null",
            "I/O floor": f"{self.floor} < {self.path(name + '.expr')} > /dev/null",
        }

    def say(self, text=""):
        print(text, flush=True)
        self.lines.append(text)

    # Each round runs every command once; the order turns by one place per
    # round so that no command always follows the same neighbour.
    def measure(self, commands, rounds=None):
        labels = list(commands)
        times = {label: [] for label in labels}
        for round_index in range(rounds or self.rounds):
            shift = round_index % len(labels)
            order = labels[shift:] + labels[:shift]
            with tempfile.TemporaryDirectory() as scratch:
                export = os.path.join(scratch, "times.json")
                subprocess.run(
                    ["hyperfine", "--runs", "1", "--style", "none", "--export-json", export]
                    + [commands[label] for label in order],
                    check=True, stdout=subprocess.DEVNULL)
                with open(export, encoding="utf-8") as source:
                    results = json.load(source)["results"]
            for label, result in zip(order, results):
                if self.clock == "cpu":
                    times[label].append(result["user"] + result["system"])
                else:
                    times[label].append(result["times"][0])
        return {label: statistics.median(values) for label, values in times.items()}

    # Runs a command once and returns its output; None when it failed. The
    # console must give no "Error" result and the expected number of answers.
    def check(self, label, command, answers):
        done = subprocess.run(["sh", "-c", command.replace("> /dev/null", "")],
                              capture_output=True, text=True, errors="replace")
        output = done.stdout
        if done.returncode != 0 or done.stderr.strip():
            return f"{label} failed: {(done.stderr or output).strip()[:200]}"
        if label == "expreval":
            results = output.count("The result is ")
            if "The result is Error" in output:
                lines = output.split("\n")
                first = next(i for i, line in enumerate(lines) if line.endswith("Error"))
                return f"expreval: {lines[first - 1].split(': ')[-1]}"
        else:
            results = output.count("\n")
            if label == "I/O floor":
                results -= 2  # the banner
        if results != answers:
            return f"{label} gave {results} answers, not {answers}"
        return None

    def peers(self, title, name, answers, rounds=None):
        commands = self.peer_commands(name)
        problems = [p for p in (self.check(l, c, answers) for l, c in commands.items()) if p]
        if problems:
            self.say(f"| {title} | not run: {'; '.join(problems)} |||||||")
            return
        t = self.measure(commands, rounds)
        console = t["expreval"]
        self.say(f"| {title} | {console:.3f} | {t['bc -l']:.3f} | {t['python3']:.3f} "
                 f"| {t['I/O floor']:.3f} | {t['bc -l'] / console:.1f} "
                 f"| {t['python3'] / console:.1f} | {console / t['I/O floor']:.1f} |")

    def w1_w2(self):
        self.say("| Workload | expreval s | bc -l s | python3 s | I/O floor s "
                 "| bc -l / expreval | python3 / expreval | expreval / floor |")
        self.say("|---|---:|---:|---:|---:|---:|---:|---:|")
        self.peers(f"W1 arithmetic, {workloads.W1_LINES:,} lines", "w1", workloads.W1_LINES)
        self.peers(f"W2 sin cos tan log, {workloads.W2_LINES:,} lines", "w2",
                   workloads.W2_LINES, rounds=self.w2_rounds)

    def w3(self, plot):
        sizes = workloads.W3_SIZES
        self.say("| W3 operation on list x | " + " | ".join(f"{s:,} elements" for s in sizes)
                 + " | ns per element (largest) | growth per doubling |")
        self.say("|---|" + "---:|" * (len(sizes) + 2))
        rows = {}
        for index, (name, line) in enumerate(workloads.W3_OPERATIONS.items()):
            commands = {s: self.console_command(f"w3-{index}-{s}.expr") for s in sizes}
            problem = self.check("expreval", commands[sizes[0]], 2)
            if problem:
                self.say(f"| `{line}` | not run: {problem} |" + "|" * (len(sizes) + 1))
                continue
            t = self.measure(commands, self.growth_rounds)
            rows[name] = t
            growth = ", ".join(f"{t[b] / t[a]:.2f}" for a, b in zip(sizes, sizes[1:]))
            self.say(f"| `{line}` | " + " | ".join(f"{t[s]:.3f} s" for s in sizes)
                     + f" | {t[sizes[-1]] / sizes[-1] * 1e9:.0f} | {growth} |")
        if rows and plot:
            self.plot(rows, plot)

    def plot(self, rows, png):
        data = os.path.join(self.work, "w3.dat")
        names = list(rows)
        with open(data, "w", encoding="ascii") as out:
            for size in workloads.W3_SIZES:
                out.write(f"{size} " + " ".join(f"{rows[n][size]:.4f}" for n in names) + "\n")
        curves = ", ".join(
            f"'{data}' using ($1/1000):{i + 2} with linespoints title '{workloads.W3_OPERATIONS[n]}'"
            for i, n in enumerate(names))
        script = (
            "set terminal pngcairo size 800,500 font 'sans,10'\n"
            f"set output '{os.path.abspath(png)}'\n"
            "set title 'W3: one element-wise operation on a list (whole run)'\n"
            "set xlabel 'list size (thousands of elements)'\n"
            "set ylabel 'time (s)'\n"
            "set key top left\nset grid\nset xrange [0:*]\nset yrange [0:*]\n"
            f"plot {curves}\n")
        subprocess.run(["gnuplot"], input=script, text=True, check=True)
        self.say(f"\nPlot written to {os.path.relpath(png)}.")

    def growth(self, title, files, answers):
        commands = {f: self.console_command(f) for f in files}
        problem = self.check("expreval", commands[files[0]], answers)
        if problem:
            self.say(f"| {title} | not run: {problem} |||")
            return
        t = self.measure(commands, self.growth_rounds)
        times = [t[f] for f in files]
        sizes = " | ".join(f"{time:.3f}" for time in times[-2:])
        ratios = ", ".join(f"{b / a:.2f}" for a, b in zip(times, times[1:]))
        self.say(f"| {title} | {sizes} | {ratios} |")

    def w4_w5(self):
        self.say("| Workload | half size s | full size s | growth |")
        self.say("|---|---:|---:|---:|")
        terms = workloads.W4_TERMS
        self.growth(f"W4 one line 1+1+...: {terms // 2:,} / {terms:,} terms",
                    [f"w4-terms-{terms // 2}.expr", f"w4-terms-{terms}.expr"], 1)
        blanks = workloads.W4_BLANKS
        self.growth(f"W4 one line padded with {blanks // 2:,} / {blanks:,} blanks",
                    [f"w4-blanks-{blanks // 2}.expr", f"w4-blanks-{blanks}.expr"], 1)
        count = workloads.W5_VARIABLES
        self.growth(f"W5 {count // 2:,} / {count:,} new variables, then as many reads "
                    f"(growth from {count // 4:,})",
                    [f"w5-{count // 4}.expr", f"w5-{count // 2}.expr", f"w5-{count}.expr"],
                    count // 2)  # the first file: 2 x count/4 lines

    # One run of the console on a workload file: CPU seconds, peak resident
    # memory in bytes, and its output.
    def run_once(self, name):
        with open(self.path(name), "rb") as source, tempfile.TemporaryFile() as output:
            child = subprocess.Popen([self.console], stdin=source, stdout=output)
            _, status, usage = os.wait4(child.pid, 0)
            child.returncode = os.waitstatus_to_exitcode(status)
            output.seek(0)
            text = output.read().decode("ascii", errors="replace")
        return usage.ru_utime + usage.ru_stime, usage.ru_maxrss * 1024, text

    def run_median(self, name, rounds):
        runs = [self.run_once(name) for _ in range(rounds)]
        seconds = statistics.median(run[0] for run in runs)
        return seconds, max(run[1] for run in runs), runs[0][2]

    def w6(self):
        sizes = workloads.W6_SIZES
        rounds = self.w6_rounds
        # The peak of a child counts the pages it shared with this program
        # before it started the console: a one-line run's peak is taken off.
        idle = self.run_median("w6-idle.expr", rounds)[1]
        self.say(f"| W6 line shape | " + " | ".join(f"{s // 1000} KB s" for s in sizes)
                 + " | growth per doubling | / sum line | peak MB above idle (largest) "
                 "| peak bytes per line byte |")
        self.say("|---|" + "---:|" * (len(sizes) + 4))
        sums = {s: self.run_median(f"w6-sum-{s}.expr", rounds)[0] for s in sizes}
        self.say(f"| sum line `1+1+...` | " + " | ".join(f"{sums[s]:.3f}" for s in sizes)
                 + " | | 1 | | |")
        for index, (shape, layout) in enumerate(workloads.W6_SHAPES.items()):
            failing = layout[3]
            results = {s: self.run_median(f"w6-{index}-{s}.expr", rounds) for s in sizes}
            bad = [s for s, r in results.items()
                   if ("The result is Error" in r[2]) != bool(failing)]
            note = f" ({failing})" if failing else ""
            if shape in workloads.W6_QUARTER:
                note += " (at a quarter of each size)"
            if bad:
                note += f" (unexpected answer at {bad[0] // 1000} KB)"
            times = [results[s][0] for s in sizes]
            growth = ", ".join(f"{b / a:.2f}" if a > 0 else "-" for a, b in zip(times, times[1:]))
            largest = sizes[-1]
            peak = max(results[largest][1] - idle, 0)
            self.say(f"| {shape}: `{workloads.w6_line(shape, 40)[:24]}...`{note} | "
                     + " | ".join(f"{t:.3f}" for t in times)
                     + f" | {growth} | {times[-1] / max(sums[largest], 1e-3):.0f} "
                     f"| {peak / 1e6:.0f} | {peak / workloads.w6_size(shape, largest):.0f} |")

    def host_bench(self, *options):
        done = subprocess.run([self.host, *options], capture_output=True, text=True)
        if done.returncode != 0:
            return None, done.stderr.strip()[:300] or f"exit status {done.returncode}"
        return [json.loads(line) for line in done.stdout.splitlines()], None

    # One W7 evaluation of every formula by every way, from a short run: the
    # count that keeps W7 within its time, never above host_bench's default.
    def w7_fitting_count(self):
        rows, problem = self.host_bench("--only", "w7", "--count", "5000")
        if problem:
            return None, problem
        one = sum(row[key] for row in rows for key in W7_WAYS) * 1e-9
        fitting = [m * 10 ** e for e in range(3, 7) for m in (1, 2, 5)
                   if m * 10 ** e <= min(W7_DEFAULT_COUNT, W7_SECONDS / one)]
        return (fitting[-1] if fitting else 1000), None

    def w7(self):
        if not os.path.exists(self.host):
            self.say("W7 not run: host_bench was not built (it needs muparser, "
                     "Debian package libmuparser-dev).")
            return
        count = self.w7_count
        if count is None:
            count, problem = self.w7_fitting_count()
            if problem:
                self.say(f"W7 not run: {problem}")
                return
        rows, problem = self.host_bench("--only", "w7", "--count", str(count))
        if problem:
            self.say(f"W7 not run: {problem}")
            return
        self.say("| W7 formula, compiled once | expreval SetVariable ns | expreval BindVariable ns "
                 "| expreval text road ns | muparser ns | SetVariable / muparser "
                 "| BindVariable / muparser |")
        self.say("|---|---:|---:|---:|---:|---:|---:|")
        for row in rows:
            mu = row["muparser_ns"]
            shown = f"`{row['expreval']}`" if len(row["expreval"]) <= 60 else row["formula"]
            if row["muparser"] != row["expreval"]:
                shown += f" (muparser `{row['muparser']}`)"
            self.say(f"| {shown} | {row['set_number_ns']:,.0f} | {row['bound_ns']:,.0f} "
                     f"| {row['text_ns']:,.0f} | {mu:,.1f} | {row['set_number_ns'] / mu:.1f} "
                     f"| {row['bound_ns'] / mu:.1f} |")
        if self.w7_count is not None:
            scaled = " (--w7-count)"
        elif count < W7_DEFAULT_COUNT:
            scaled = (f", scaled down from {W7_DEFAULT_COUNT:,} to keep W7 within about "
                      f"{W7_SECONDS} s")
        else:
            scaled = ""
        self.say(f"\n{count:,} evaluations per formula and way{scaled}; wall-clock ns per "
                 "evaluation, median of five slices; a changes each time, b=0.75, c=1.25. "
                 "SetVariable: SetVariable(a, double) then EvaluateNumber(formula); "
                 "BindVariable: a bound to the host's double; text road: SetVariable(a, text) "
                 "then Evaluate(text); muparser: DefineVar, SetExpr once, Eval().")
        self.say("W7 target: expreval at most 2x muparser on every formula")

    def w8(self):
        if not os.path.exists(self.host):
            self.say("W8 not run: host_bench was not built (it needs muparser, "
                     "Debian package libmuparser-dev).")
            return
        rows, problem = self.host_bench("--only", "w8")
        if problem:
            self.say(f"W8 not run: {problem}")
            return
        row = rows[0]
        self.say("| W8 many formulas, once each | expreval ns per formula "
                 "| muparser ns per formula | muparser / expreval |")
        self.say("|---|---:|---:|---:|")
        self.say(f"| {row['formulas']:,} random formulas, {row['mean_length']:.0f} characters "
                 f"on average | {row['expreval_ns']:,.0f} | {row['muparser_ns']:,.0f} "
                 f"| {row['muparser_ns'] / row['expreval_ns']:.1f} |")
        self.say(f"\nexpreval: Session::Evaluate(text); muparser: SetExpr and Eval on one parser. "
                 f"Formulas of + - * / (by a number), groups, sin, cos, numbers and x, y, z, "
                 f"such as `{row['example']}`; {row['checked']:,} others agree with muparser "
                 f"({row['disagree']} beyond 1e-9).")
        self.say("W8 target: expreval at least 10x faster than muparser")

    def microbenchmarks(self):
        done = subprocess.run([self.micro, "--benchmark_format=json",
                               "--benchmark_min_time=0.2"],
                              capture_output=True, text=True, check=True)
        self.say("| Microbenchmark | ns per call | ns per element |")
        self.say("|---|---:|---:|")
        for result in json.loads(done.stdout)["benchmarks"]:
            per_element = result.get("items_per_second")
            element = f"{1e9 / per_element:.0f}" if per_element else ""
            self.say(f"| {result['name']} | {result['real_time']:.0f} | {element} |")


def machine():
    cores = os.cpu_count()
    model = platform.processor() or "unknown processor"
    try:
        with open("/proc/cpuinfo", encoding="ascii", errors="replace") as info:
            for line in info:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    versions = []
    for command in (["bc", "--version"], ["/usr/bin/python3", "--version"]):
        if shutil.which(command[0]):
            versions.append(subprocess.run(command, capture_output=True, text=True)
                            .stdout.split("\n")[0])
    if shutil.which("pkg-config"):
        done = subprocess.run(["pkg-config", "--modversion", "muparser"],
                              capture_output=True, text=True)
        if done.returncode == 0:
            versions.append(f"muparser {done.stdout.strip()}")
    return f"{cores} cores, {model}; {', '.join(versions)}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", required=True, help="build folder of the bench preset")
    parser.add_argument("--plot", help="where to write the W3 plot (PNG)")
    parser.add_argument("--rounds", type=int, default=5, help="timed runs of each program")
    parser.add_argument("--report", help="also write the report (Markdown) to this file")
    parser.add_argument("--clock", choices=("cpu", "wall"), default="cpu",
                        help="time reported: CPU time (user + system, steadier on a shared "
                        "machine) or wall-clock time")
    parser.add_argument("--only", type=workload_names,
                        help="run these workloads alone, from W6, W7, W8, comma-separated "
                        "(W6 needs only the console, W7 and W8 only host_bench)")
    parser.add_argument("--w7-count", type=int,
                        help=f"W7 evaluations per formula and way (default: "
                        f"{W7_DEFAULT_COUNT:,}, or fewer to fit in about {W7_SECONDS} s)")
    args = parser.parse_args()
    runner = Runner(args)
    if args.only:
        run_only(runner, args)
    else:
        run_all(runner, args)
    if args.report:
        with open(args.report, "w", encoding="utf-8") as out:
            out.write("\n".join(runner.lines) + "\n")


def workload_names(text):
    names = [name.strip().upper() for name in text.split(",")]
    unknown = [name for name in names if name not in ("W6", "W7", "W8")]
    if unknown:
        raise argparse.ArgumentTypeError(f"not a workload that runs alone: {', '.join(unknown)}")
    return names


def run_only(runner, args):
    runner.say(f"Machine: {machine()}.")
    if "W6" in args.only:
        print(f"Generating workloads in {runner.work} ...", flush=True)
        workloads.generate_w6(runner.work)
        runner.say(f"Times: CPU seconds (user + system), median of {args.rounds} runs; "
                   "peak: the largest resident set of those runs.\n")
        runner.w6()
    for name, run in (("W7", runner.w7), ("W8", runner.w8)):
        if name in args.only:
            runner.say()
            run()


def run_all(runner, args):
    print(f"Generating workloads in {runner.work} ...", flush=True)
    workloads.generate(runner.work)
    clock = "CPU seconds (user + system)" if args.clock == "cpu" else "wall-clock seconds"
    runner.say(f"Machine: {machine()}.\nTimes: {clock}, median of {args.rounds} runs "
               f"({runner.w2_rounds} for W2, {runner.growth_rounds} for W3 to W5).\n")
    runner.w1_w2()
    runner.say()
    runner.w3(args.plot)
    runner.say()
    runner.w4_w5()
    runner.say()
    runner.w6()
    runner.say()
    runner.w7()
    runner.say()
    runner.w8()
    runner.say()
    runner.microbenchmarks()


if __name__ == "__main__":
    main()
