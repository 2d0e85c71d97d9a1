"""Runs random console sessions on both roads of one build and requires the same bytes.

The console on the fast road and on the reference road (EXPREVAL_ROAD=reference,
every shortcut closed) must answer every line alike: values, messages, prompts
and variables carried from line to line. The lines come from a fixed seed, so
a failure is repeatable; the first differing session is written out.

Usage: compare_roads.py CONSOLE [--lines N] [--seed S]
       compare_roads.py --write-seeds DIRECTORY [--seed S]
The second form writes short inputs of such lines, as seeds for the fuzz
target that compares the roads in one process.
"""

import argparse
import os
import random
import subprocess
import sys

SESSION_LINES = 2000

NAMES = ["x", "y", "n", "rate", "big", "w", "l", "ll", "s", "q", "zurp"]
UNKNOWN = ["nowhere", "foo", "e", "x9"]
FUNCTIONS = ["sin", "cos", "tan", "log", "sec", "csc", "cot"]
OPERATORS = ["+", "-", "*", "/", "%", "&", "|", "^", "==", "!=", "<", "<=", ">", ">=",
             "=~", "!~", "&&", "||", "."]
ASSIGNMENTS = ["=", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", ".="]
BOGUS = ["$", "**", "=<", "*)", "!", "<>", "..", "+*"]
NUMBERS = ["0", "1", "2", "7", "12", "-3", "007", "3.5", "-0.5", "0.1", "5.", "-.5",
           "99999999999999", "123456789012345", "2147483648", "4294967303", "1e5",
           "1.5e-007", "1e+5", "0.000001234", "12345678901234567890", "1e300"]
STRINGS = ['"ab"', '"A b"', '""', '"1"', '"5"', '"x\\"y"', '"{,}"', '"abc"', '"10"']


class Lines:
    # short: lines for a fuzzer's seeds, which it runs and mutates many
    # times: chains of a few joins and no nesting to the limit.
    def __init__(self, seed, short=False):
        self.rng = random.Random(seed)
        self.short = short

    def chance(self, percent):
        return self.rng.randrange(100) < percent

    def pick(self, items):
        return items[self.rng.randrange(len(items))]

    def number(self):
        if self.chance(50):
            text = str(self.rng.randrange(1000))
            if self.chance(40):
                text += "." + str(self.rng.randrange(1000))
            return ("-" if self.chance(15) else "") + text
        return self.pick(NUMBERS)

    # Elements are texts the list keeps as typed; an operation on the list
    # evaluates each one, so a call or an assignment among them runs then.
    def literal_list(self, depth):
        items = []
        for _ in range(self.rng.randrange(5)):
            if depth < 3 and self.chance(15):
                items.append(self.call(depth + 1) if self.chance(70) else self.assignment_in())
            else:
                items.append(self.literal(depth + 1))
        return "{" + ",".join(items) + "}"

    # Operands that read no variable: the right sides of assignments, so that
    # no value can grow from line to line faster than by its literal.
    def literal(self, depth=0):
        kind = self.rng.randrange(10)
        if kind < 6:
            return self.number()
        if kind < 7:
            return self.pick(STRINGS)
        if kind < 9 and depth < 2:
            return self.literal_list(depth)
        return "(" + self.number() + self.pick(["+", "*", "-"]) + self.number() + ")"

    def name(self):
        if self.chance(1):
            return "selfref"  # a list that holds itself: nested too deeply
        return self.pick(NAMES) if self.chance(96) else self.pick(UNKNOWN)

    # An assignment inside an operand or an argument: its effect comes first,
    # and whatever fails after it must not undo it on either road.
    def assignment_in(self):
        operator = "=" if self.chance(60) else self.pick(ASSIGNMENTS[1:])
        return self.pick(NAMES[:10]) + operator + self.literal(2)

    # A call: its argument an expression, another call, or an assignment; now
    # and then a function unknown or misspelt, so that a name times a group.
    def call(self, depth):
        function = self.pick(FUNCTIONS) if self.chance(95) else self.pick(["sinh", "x", "foo"])
        kind = self.rng.randrange(10)
        if kind < 2 and depth < 4:
            argument = self.call(depth + 1)
        elif kind < 4:
            argument = self.assignment_in()
        elif kind < 5:
            argument = self.pick(["", "zurp", "l", "s", '"ab"', "{1,2}", "{sin(1),2}"])
        else:
            argument = self.expression(depth + 1) if depth < 4 else self.number()
        return function + "(" + argument + ")"

    def operand(self, depth):
        kind = self.rng.randrange(20)
        if kind < 7:
            return self.number()
        if kind < 10:
            return self.name()
        if kind < 11:
            return self.pick(STRINGS)
        if kind < 12:
            return self.literal_list(1)
        if kind < 16:
            return self.call(depth)
        if kind < 17:
            return "(" + self.assignment_in() + ")"
        if depth < 4:
            return "(" + self.expression(depth + 1) + ")"
        return self.number()

    def expression(self, depth=0):
        text = self.operand(depth)
        for _ in range(self.rng.randrange(4)):
            if self.chance(8):
                text += ""  # implied multiplication
            elif self.chance(3):
                text += self.pick(BOGUS)
            else:
                text += self.pick(OPERATORS if self.chance(85) else ["+", "-", "*", "/"])
            text += self.operand(depth)
        return text

    # Effects, then a failure at a later token: (a=1)+2$ has assigned a, and
    # so has sin(a=1)*2+1$, whose "*" was applied when "+" arrived.
    def effect_then_failure(self):
        text = self.pick(["(" + self.assignment_in() + ")",
                          self.call(1) if self.chance(30) else
                          self.pick(FUNCTIONS) + "(" + self.assignment_in() + ")",
                          "{" + self.assignment_in() + ",1}"])
        for _ in range(self.rng.randrange(3)):
            text += self.pick(OPERATORS) + self.operand(2)
        failure = self.pick(["$", "$2", "+", ")", "+(", "*-x", "+nowhere", "+sin(", '+"a"*2',
                             "+{1}+{2}-{3}", "%0", "/0", "+" + self.assignment_in() + "$"])
        return text + failure

    def assignment(self):
        if self.chance(1):
            return "selfref={selfref}"
        target = self.pick(NAMES) if self.chance(95) else self.pick(["5", '"s"', "sin(0)", "-x"])
        if self.chance(60):
            value = self.literal() if self.chance(70) else self.name()
            return target + "=" + value
        return target + self.pick(ASSIGNMENTS[1:]) + self.literal()

    def deep(self):
        calls = self.rng.randrange(990, 1010)
        if self.chance(50):
            return "cos(" * calls + "0" + ")" * calls
        return "(" * calls + "1+" + "(1)" + ")" * calls

    # A long chain of joins of one kind, where results are taken over and
    # extended, among operands whose joins do not evaluate to themselves: a
    # string with an inner quote, a list holding a list or an odd quote, a
    # number that joins to -5-3 or holds 1.#INF.
    CHAINS = {
        "strings": (['"ab"', '"A b"', '""', "7", "(-3)", "x", "(1.5)", "s"],
                    ['"x\\"y"', '"\\\\"', '(5."a")']),
        "lists": (["{1}", "{}", "{1,2}", '{"a"}', "{a}", "zurp", "l"],
                  ['(zurp."}")', '{"a}', "{{1}", "{A}"]),
        "numbers": (["(1)", "(12)", "(-5)", "(1.5)", "(2.5)", "x", "(007)", "(5.)"],
                    ["(1e5)", "(1e300*1e300)", "(0-1e300*1e300)"]),
        # Joins of a list's elements, which are gathered and applied at once
        # where the chain allows it (not with a string that holds "}").
        "elements": (["1.1", "(1)", "(12)", "5.", '"ab"', '"c,d"', "(2.5)", "(007)", '""',
                      "x", "s"],
                     ["(-3)", "(1e5)", '"x\\"y"', "{1}", "zurp", "(1e300*1e300)", '"a}"']),
    }
    LISTS = ["{1,2}", "{1.5,-2,0.}", '{"a",1}', '{"a,b"}', "zurp", "{1e5,2}", "{{1},2}",
             "{}", "{1,}", "l"]

    def chain(self):
        kind = self.pick(list(self.CHAINS))
        plain, odd = self.CHAINS[kind]
        joiners = self.pick([["+"], ["."], ["+", "."]])

        def operand():
            return self.pick(odd) if self.chance(2) else self.pick(plain)

        text = self.pick(self.LISTS) if kind == "elements" else operand()
        count = self.rng.randrange(2, 12) if self.short else self.rng.randrange(20, 400)
        if kind != "elements" and self.chance(30):
            # Nested to the right, so that the growing value is the right
            # operand, then perhaps joined to values of any kind.
            for _ in range(count):
                text = operand() + self.pick(joiners) + "(" + text + ")"
            for _ in range(self.rng.randrange(1, 3) if self.chance(50) else 0):
                text += self.pick(joiners) + self.pick(self.pick(list(self.CHAINS.values()))[0])
            return text
        for _ in range(count):
            piece = operand()
            if self.chance(3):
                piece = "(" + piece + self.pick(joiners) + operand() + ")"
            text += self.pick(joiners) + piece
        return text

    def edited(self, line):
        for _ in range(self.rng.randrange(3)):
            at = self.rng.randrange(len(line) + 1)
            if self.chance(50) or not line:
                line = line[:at] + self.pick(list("()-.=\" {}e,*+xX2")) + line[at:]
            else:
                line = line[:at] + line[at + 1:]
        return line

    def spaced(self, line):
        out = []
        for ch in line:
            if self.chance(10):
                out.append(self.pick([" ", "\t"]))
            out.append(ch.upper() if self.chance(10) else ch)
        return "".join(out)

    def line(self):
        kind = self.rng.randrange(100)
        if kind < 25:
            line = self.assignment()
        elif kind < 27:
            line = "(" + self.assignment() + ")" + self.pick(OPERATORS) + self.operand(2)
        elif kind < 28:
            line = ""
        elif kind == 28 and self.chance(5) and not self.short:
            line = self.deep()
        elif kind < 31:
            line = self.chain()
        elif kind < 36:
            line = self.effect_then_failure()
        else:
            line = self.expression()
        if self.chance(15):
            line = self.edited(line)
        if self.chance(10):
            line = self.spaced(line)
        # A line that starts with "." ends the session.
        return "1" + line if line.startswith(".") else line

    def session(self):
        return "".join(self.line() + "\n" for _ in range(SESSION_LINES)) + ".\n"


def run(console, text, road):
    environment = dict(os.environ, EXPREVAL_ROAD=road)
    result = subprocess.run([console], input=text.encode("latin-1"), capture_output=True,
                            timeout=300, env=environment)
    return result.returncode, result.stdout


SEEDS = 1000
SEED_LINES = 4


def write_seeds(directory, lines):
    os.makedirs(directory, exist_ok=True)
    for index in range(SEEDS):
        text = "".join(lines.line() + "\n" for _ in range(SEED_LINES))
        with open(os.path.join(directory, f"seed-lines-{index}"), "w", encoding="latin-1") as out:
            out.write(text)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("console", nargs="?")
    parser.add_argument("--lines", type=int, default=100_000)
    parser.add_argument("--seed", type=int, default=2026)
    parser.add_argument("--write-seeds", metavar="DIRECTORY")
    args = parser.parse_args()
    if args.write_seeds:
        write_seeds(args.write_seeds, Lines(args.seed, short=True))
        return 0
    lines = Lines(args.seed)
    if args.console is None:
        parser.error("the console to run is missing")
    sessions = (args.lines + SESSION_LINES - 1) // SESSION_LINES
    answered = 0
    for index in range(sessions):
        text = lines.session()
        fast, reference = run(args.console, text, "fast"), run(args.console, text, "reference")
        if fast != reference:
            path = os.path.join(os.path.dirname(os.path.abspath(args.console)),
                                f"roads-differ-{index}.in")
            with open(path, "w", encoding="latin-1") as out:
                out.write(text)
            print(f"session {index}: the two roads answer differently; its input is {path}")
            if fast[0] != reference[0]:
                print(f"exit codes: fast {fast[0]}, reference {reference[0]}")
            fast_lines, reference_lines = fast[1].split(b"\n"), reference[1].split(b"\n")
            for number, (a, b) in enumerate(zip(fast_lines, reference_lines)):
                if a != b:
                    print(f"first difference at output line {number}:\n  {a[:300]!r}\n  {b[:300]!r}")
                    break
            return 1
        answered += fast[1].count(b"The result is ")
    print(f"{sessions * SESSION_LINES} lines in {sessions} sessions, {answered} answers alike")
    return 0


if __name__ == "__main__":
    sys.exit(main())
