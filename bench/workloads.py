"""Deterministic benchmark workloads.

Every workload is generated from a fixed seed by a small linear congruential
generator of its own, so the same files come out on every machine and every
Python version. W1 and W2 are written three times, line for line: in the
console's syntax, for `bc -l`, and for the Python loop (peer_python.py).
"""

import os

W1_LINES = 200_000
W2_LINES = 100_000
W3_SIZES = (125_000, 250_000, 500_000, 1_000_000)
W3_OPERATIONS = {  # name: the line applied to the list x
    "*": "x*3",
    "+": "x+3",
    "==": "x==500",
    "sin": "sin(x)",
    ".": "x.7",
}
W4_TERMS = 1_000_000
W4_BLANKS = 10_000_000
W5_VARIABLES = 40_000
VARIABLES = ("x", "y", "z", "w")
W6_SIZES = (100_000, 200_000, 400_000)  # bytes of the one line


# W6 line shapes: name: (unit, start, end, how it fails, or "" when it
# answers). A line is
# start, then the unit repeated, then end, cut to the size by the number of
# units; a unit holding "{}" is closed by as many ")" in end. A shape still
# quadratic is measured at a quarter of each size (W6_QUARTER), so that the
# bench does not spend minutes on it.
W6_SHAPES = {
    "strings +": ('+"ab"', '"ab"', "", ""),
    "strings .": ('."ab"', '"ab"', "", ""),
    "lists +": ("+{1}", "{1}", "", ""),
    "lists .": (".{1}", "{1}", "", ""),
    "numbers .": (".(1)", "(1)", "", ""),
    "calls in sums": ("1+sin(", "", "1{}", "fails at the nesting limit"),
    # Of this build's own: a string grown by numbers, groups nested deep in
    # a sum, lists whose elements grow at every join, calls nested in
    # assignments, 400 calls in sums around a long string (which fails at the
    # innermost call), and joins nested to the right, whose growing value is
    # the right operand.
    "string + numbers": ("+1", '"a"', "", ""),
    "deep groups": ("1+(", "", "1{}", ""),
    "list elements .": (".1", "{1,2}", "", ""),
    "list elements +": ('+"b"', '{"a",1}', "", ""),
    "calls in assignments": ("x=1+sin(", "", "1{}", "fails at the nesting limit"),
    "calls around a string": ("a", "1+sin(" * 400 + '"', '"' + ")" * 400,
                              "fails at the innermost call"),
    "strings nested right": ('"a".(', "", '"a"{}', ""),
    "numbers nested right": ("(1).(", "", "(1){}", ""),
    "lists nested right": ("{1}+(", "", "{1}{}", ""),
    # A product that settles at the smallest subnormal number, whose text
    # takes the slow, exact writing.
    "subnormal products": ("*0.9", "1e-300", "", ""),
}


W6_QUARTER = set()


def w6_size(shape, size):
    return size // 4 if shape in W6_QUARTER else size


def w6_line(shape, size):
    unit, start, end, _ = W6_SHAPES[shape]
    closing = "{}" in end
    count = max(1, (size - len(start) - len(end)) // (len(unit) + (1 if closing else 0)))
    tail = end.replace("{}", ")" * count) if closing else end
    return start + unit * count + tail


def w6_sum_line(size):
    """A plain sum of the same length: the cost every shape is set beside."""
    return "+".join(["1"] * ((size + 1) // 2))


class Lcg:
    """Knuth's MMIX generator; the high bits are used."""

    def __init__(self, seed):
        self.state = seed

    def below(self, n):
        self.state = (self.state * 6364136223846793005 + 1442695040888963407) % 2**64
        return (self.state >> 33) % n

    def chance(self, percent):
        return self.below(100) < percent

    def pick(self, items):
        return items[self.below(len(items))]


# An expression is kept as a list of pieces; each piece is a plain string that
# all three syntaxes share, or an ("implied", left, right) tuple that the
# console writes without "*" and the peers with it.
def number(rng, allow_negative=False):
    if allow_negative and rng.chance(5):
        return f"-{1 + rng.below(99)}"
    if rng.chance(40):
        return f"{rng.below(1000)}.{rng.below(100):02d}"
    return str(1 + rng.below(999))


def divisor(rng):
    if rng.chance(30):
        return f"{1 + rng.below(20)}.5"
    return str(1 + rng.below(99))


def term(rng, depth, with_variables):
    roll = rng.below(100)
    if roll < 20 and with_variables:
        return [rng.pick(VARIABLES)]
    if roll < 30 and depth < 2:
        right = [rng.pick(VARIABLES)] if with_variables and rng.chance(50) else None
        if right is None:
            right = ["("] + expression(rng, depth + 1, with_variables) + [")"]
        return [("implied", str(2 + rng.below(8)), right)]
    if roll < 40 and depth < 2:
        return ["("] + expression(rng, depth + 1, with_variables) + [")"]
    return [number(rng)]


def expression(rng, depth, with_variables):
    pieces = [number(rng, allow_negative=True)] if rng.chance(10) else term(rng, depth, with_variables)
    for _ in range(1 + rng.below(3)):
        operator = rng.pick("++--**/%")
        pieces.append(operator)
        if operator in "/%":
            pieces.append(divisor(rng))
        else:
            pieces += term(rng, depth, with_variables)
    return pieces


def render(pieces, implied_star):
    out = []
    for piece in pieces:
        if isinstance(piece, tuple):
            _, left, right = piece
            out.append(left + ("*" if implied_star else "") + render(right, implied_star))
        else:
            out.append(piece)
    return "".join(out)


def w1_lines():
    """Yields (console, bc, python) texts of one line each."""
    rng = Lcg(1)
    for i in range(W1_LINES):
        # The first lines give every variable a value; assignments use
        # literals only, so no value can grow without bound.
        if i < len(VARIABLES) or rng.chance(20):
            name = VARIABLES[i] if i < len(VARIABLES) else rng.pick(VARIABLES)
            pieces = expression(rng, 0, with_variables=False)
            console, peer = render(pieces, ""), render(pieces, True)
            yield f"{name}={console}", f"({name}={peer})", f"({name}:={peer})"
        else:
            pieces = expression(rng, 0, with_variables=True)
            console, peer = render(pieces, ""), render(pieces, True)
            yield console, peer, peer


BC_FUNCTIONS = {
    "sin": "s({})",
    "cos": "c({})",
    "tan": "s({0})/c({0})",
    "log": "l({})/l(10)",
}


def w2_lines():
    """Yields (console, bc, python) texts of one line each."""
    rng = Lcg(2)
    for _ in range(W2_LINES):
        function = rng.pick(tuple(BC_FUNCTIONS))
        argument = f"{rng.below(100)}.{rng.below(1000):03d}"
        if function == "log" and argument.strip("0.") == "":
            argument = "1.5"
        console = f"{function}({argument})"
        yield console, BC_FUNCTIONS[function].format(argument), console


def list_literal(size, seed):
    rng = Lcg(seed)
    return "{" + ",".join(str(rng.below(1000)) for _ in range(size)) + "}"


def write_lines(path, lines):
    with open(path, "w", encoding="ascii") as out:
        for line in lines:
            out.write(line + "\n")


def write_triple(directory, name, lines):
    """Writes NAME.expr, NAME.bc and NAME.py from (console, bc, python) triples."""
    files = [open(os.path.join(directory, f"{name}.{kind}"), "w", encoding="ascii")
             for kind in ("expr", "bc", "py")]
    try:
        for texts in lines:
            for out, text in zip(files, texts):
                out.write(text + "\n")
    finally:
        for out in files:
            out.close()


def generate(directory):
    """Writes every workload file into directory and returns their names."""
    os.makedirs(directory, exist_ok=True)
    write_triple(directory, "w1", w1_lines())
    write_triple(directory, "w2", w2_lines())
    for size in W3_SIZES:
        literal = list_literal(size, 3)
        for index, (name, line) in enumerate(W3_OPERATIONS.items()):
            write_lines(os.path.join(directory, f"w3-{index}-{size}.expr"), [f"x={literal}", line])
    for terms in (W4_TERMS // 2, W4_TERMS):
        write_lines(os.path.join(directory, f"w4-terms-{terms}.expr"), ["+".join(["1"] * terms)])
    for blanks in (W4_BLANKS // 2, W4_BLANKS):
        half = " " * (blanks // 2)
        write_lines(os.path.join(directory, f"w4-blanks-{blanks}.expr"), [f"1{half}+{half}2"])
    generate_w6(directory)
    for count in (W5_VARIABLES // 4, W5_VARIABLES // 2, W5_VARIABLES):
        rng = Lcg(5)
        names = [f"v{rng.below(10**9)}n{i}" for i in range(count)]
        assignments = [f"{name}={i}.5" for i, name in enumerate(names)]
        reads = [names[(i * 7919) % count] for i in range(count)]
        write_lines(os.path.join(directory, f"w5-{count}.expr"), assignments + reads)


def generate_w6(directory):
    os.makedirs(directory, exist_ok=True)
    write_lines(os.path.join(directory, "w6-idle.expr"), ["1"])
    for size in W6_SIZES:
        for index, shape in enumerate(W6_SHAPES):
            write_lines(os.path.join(directory, f"w6-{index}-{size}.expr"),
                        [w6_line(shape, w6_size(shape, size))])
        write_lines(os.path.join(directory, f"w6-sum-{size}.expr"), [w6_sum_line(size)])
