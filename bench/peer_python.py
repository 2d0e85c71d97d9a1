"""Benchmark peer: evaluates each input line with Python and prints its value."""

import math
import sys


def main():
    names = {
        "__builtins__": {},
        "sin": math.sin,
        "cos": math.cos,
        "tan": math.tan,
        "log": math.log10,
    }
    write = sys.stdout.write
    for line in sys.stdin:
        write(f"{eval(line, names)}\n")


main()
