#!/usr/bin/env python3
"""Runs a command-line transcript through the console.

A transcript holds cases, each starting with a command line:

    $ expreval ARGUMENTS...   the arguments, split as a shell would
    < TEXT                    a line of standard input (none: empty input)
    > TEXT                    a line the case must write on standard output
    ! TEXT                    a line it must write on standard error
    ? N                       its exit status (0 when not given)

and files that the cases after them may name:

    @ NAME                    a file in the case's working directory...
    | TEXT                    ...and a line of it

A marker alone, without its blank, stands for an empty line. Lines starting
with # and blank lines are comments. Both outputs must match byte for byte.

Usage: run_cli.py CONSOLE TRANSCRIPT
"""
import os
import shlex
import subprocess
import sys
import tempfile


class Case:
    def __init__(self, arguments, number):
        self.arguments, self.number = arguments, number
        self.stdin, self.stdout, self.stderr, self.status = [], [], [], 0


def parse(lines):
    """The files and cases of a transcript, in order."""
    steps, case, file = [], None, None
    for number, line in enumerate(lines, 1):
        marker, text = line[:1], line[2:]
        if not line.strip() or marker == "#":
            continue
        if line[1:2] not in ("", " "):
            raise SystemExit(f"line {number}: a marker needs a blank after it: {line!r}")
        if marker == "$":
            words = shlex.split(text)
            if not words or words[0] != "expreval":
                raise SystemExit(f"line {number}: a command starts with expreval")
            case, file = Case(words[1:], number), None
            steps.append(case)
        elif marker == "@":
            file, case = (text, []), None
            steps.append(file)
        elif marker == "|" and file is not None:
            file[1].append(text)
        elif marker in "<>!?" and case is not None:
            if marker == "?":
                case.status = int(text)
            else:
                {"<": case.stdin, ">": case.stdout, "!": case.stderr}[marker].append(text)
        else:
            raise SystemExit(f"line {number}: {line!r} belongs to no case or file")
    return steps


def joined(lines):
    return "".join(line + "\n" for line in lines).encode()


def main():
    console, transcript = os.path.abspath(sys.argv[1]), sys.argv[2]
    with open(transcript, encoding="utf-8") as source:
        steps = parse(source.read().splitlines())
    failures = 0
    with tempfile.TemporaryDirectory() as directory:
        env = dict(os.environ, HOME=directory)
        env.pop("EXPREVAL_HISTORY", None)
        for step in steps:
            if isinstance(step, tuple):
                with open(os.path.join(directory, step[0]), "wb") as file:
                    file.write(joined(step[1]))
                continue
            ran = subprocess.run([console, *step.arguments], input=joined(step.stdin),
                                 capture_output=True, cwd=directory, env=env, timeout=60)
            seen = (ran.stdout, ran.stderr, ran.returncode)
            wanted = (joined(step.stdout), joined(step.stderr), step.status)
            for name, got, expected in zip(("standard output", "standard error", "exit status"),
                                           seen, wanted):
                if got != expected:
                    failures += 1
                    print(f"{transcript}:{step.number}: expreval {shlex.join(step.arguments)}\n"
                          f"  {name}: expected {expected!r}\n  {'got':>{len(name)}}: {got!r}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
