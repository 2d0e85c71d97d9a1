#!/usr/bin/env python3
"""Drives the console in a pseudo-terminal as a person at the keyboard would.

editing: history recall, Tab completion, editing inside a line, empty lines,
Ctrl-D and the full-stop line; skipped (exit 77) for a console built without
line editing. interrupts: Ctrl-C during a long evaluation and while typing,
then Ctrl-D, with or without line editing. history: the lines typed are kept
from one run to the next, also by consoles that end at once; skipped without
line editing.

Usage: drive_terminal.py CONSOLE with-libedit|without-libedit editing|interrupts|history
"""
import fcntl
import os
import pty
import select
import signal
import struct
import subprocess
import sys
import tempfile
import termios
import time

SKIPPED = 77
UP, DOWN, LEFT = "\x1b[A", "\x1b[B", "\x1b[D"
TAB, BACKSPACE, CTRL_C, CTRL_D, CTRL_T, ENTER = "\t", "\x7f", "\x03", "\x04", "\x14", "\r"
BANNER = b"Expression Evaluator Test Program v 1.01\r\nType in a . to quit.\r\n"
PROMPT = b"Enter expression: "
# A start-up file that would turn Ctrl-T into typing EDITRC: the console
# must not read it.
EDITRC = "bind -s ^T EDITRC\n"


class Failure(Exception):
    pass


def environment(home, **settings):
    """The console's environment: a setting of None is left out."""
    env = dict(os.environ, TERM="xterm", HOME=home, EDITRC=os.path.join(home, ".editrc"))
    env.pop("XDG_STATE_HOME", None)
    env.pop("EXPREVAL_HISTORY", None)
    env.update(settings)
    return {name: value for name, value in env.items() if value is not None}


class Session:
    """One run of the console on its own pseudo-terminal."""

    def __init__(self, console, home, editing=True, arguments=(), **settings):
        pid, master = pty.fork()
        if pid == 0:
            fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 80, 0, 0))
            os.execve(console, [console, *arguments], environment(home, **settings))
        self.pid, self.master, self.editing = pid, master, editing
        self.output, self.position = b"", 0

    def _read(self, deadline):
        ready, _, _ = select.select([self.master], [], [], max(0.0, deadline - time.monotonic()))
        if not ready:
            return False
        try:
            chunk = os.read(self.master, 4096)
        except OSError:  # the console has ended and closed the terminal
            return False
        self.output += chunk
        return bool(chunk)

    def expect(self, text, timeout=20.0):
        """Waits for text after what earlier expectations consumed."""
        needle = text.encode() if isinstance(text, str) else text
        deadline = time.monotonic() + timeout
        while True:
            found = self.output.find(needle, self.position)
            if found >= 0:
                seen = self.output[self.position:found]
                self.position = found + len(needle)
                return seen
            if not self._read(deadline):
                raise Failure(f"expected {needle!r}; the terminal shows:\n{self.output!r}")

    def type(self, keys, timeout=20.0):
        """Types keys once the line editor reads key by key: keys that arrived
        earlier would be echoed, or taken as end of file, by the terminal."""
        deadline = time.monotonic() + timeout
        while self.editing and termios.tcgetattr(self.master)[3] & termios.ICANON:
            if time.monotonic() > deadline:
                raise Failure(f"the terminal never left line mode; it shows:\n{self.output!r}")
            time.sleep(0.01)
        os.write(self.master, keys.encode())

    def press(self, keys):
        """Types keys at once, whatever mode the terminal is in."""
        os.write(self.master, keys.encode())

    def answer(self, keys, result):
        """Types keys and waits for the result line and the next prompt."""
        self.type(keys)
        self.expect(f"The result is {result}\r\n")
        self.expect(PROMPT)

    def finish(self, timeout=20.0):
        """Waits for the console to end; returns its exit code and what it wrote last."""
        deadline = time.monotonic() + timeout
        while self._read(deadline):
            pass
        os.close(self.master)
        _, status = os.waitpid(self.pid, 0)
        self.pid = None
        return os.waitstatus_to_exitcode(status), self.output[self.position:]

    def end(self):
        """Kills a console that a failed check left running."""
        if self.pid is not None:
            os.kill(self.pid, signal.SIGKILL)
            os.waitpid(self.pid, 0)
            os.close(self.master)


def check(condition, message, session):
    if not condition:
        raise Failure(f"{message}; the terminal shows:\n{session.output!r}")


def history_and_editing(console, home):
    session = Session(console, home)
    session.expect(PROMPT)
    check(session.output.startswith(BANNER), "the banner comes first", session)
    session.answer("6*7" + ENTER, "42")
    session.answer("1+2" + ENTER, "3")
    session.answer(UP + UP + ENTER, "42")  # two lines back
    session.answer(UP + UP + UP + DOWN + ENTER, "3")  # back three, forward one
    session.answer("2*4" + LEFT + LEFT + "0" + ENTER, "80")  # typed into the middle
    session.answer("9+1" + BACKSPACE + "5" + ENTER, "14")
    session.answer("12+34" + LEFT + LEFT + LEFT + CTRL_D + ENTER, "1234")  # deletes the "+"
    session.answer("21" + CTRL_T + ENTER, "12")  # transposed, not a macro from ~/.editrc
    session.answer("ZU" + TAB + "-1" + ENTER, "{0,1,2,3,4}")  # completed to ZUrp
    session.answer("si" + TAB + "0)" + ENTER, "0.")  # a function comes with its "("
    session.answer("rate=3" + ENTER, "3")
    session.answer("2*RA" + TAB + ENTER, "6")  # a variable of this run
    session.type("co" + TAB)
    session.expect("\r\ncos(  cot(\r\n")  # the choices, then the line again
    session.expect(PROMPT)
    session.answer("s(0)" + ENTER, "1.")
    session.type(ENTER)
    seen = session.expect(PROMPT)  # passed over, as the second Enter
    check(b"The result is" not in seen, "the empty line after an answer is passed over", session)
    session.type(ENTER)
    session.expect("Too many operands.\r\nThe result is Error\r\n")  # any other is evaluated
    session.expect(PROMPT)
    session.type(CTRL_D)
    code, tail = session.finish()
    check(code == 0, f"Ctrl-D ends the console with exit code 0, not {code}", session)
    check(tail.endswith(b"\r\n"), "Ctrl-D leaves the cursor on a new line", session)


def characters_beyond_ascii(console, home):
    # A locale of ASCII alone must not cost the bytes a terminal sends for
    # other characters.
    session = Session(console, home, LC_ALL="C", LANG="C")
    session.expect(PROMPT)
    session.answer('s="caf\u00e9"' + ENTER, '"caf\u00e9"')
    session.answer("s" + ENTER, '"caf\u00e9"')
    session.type("." + ENTER)
    session.finish()


def full_stop_line(console, home):
    session = Session(console, home)
    session.expect(PROMPT)
    session.type("." + ENTER)
    code, tail = session.finish()
    check(code == 0, f"the full-stop line ends the console with exit code 0, not {code}", session)
    check(b"The result is" not in tail, "nothing is evaluated after the full-stop line", session)


def interrupts(console, home, editing):
    session = Session(console, home, editing)
    try:
        session.expect(PROMPT)
        session.answer("n=5" + ENTER, "5")
        session.answer("x=zurp" + ENTER, "{1,2,3,4,5}")
        for _ in range(22):  # x doubles, and the line fails: no list is shown
            session.type("(x=x+x)*{1}" + ENTER)
            session.expect("Operation does not support two lists.\r\nThe result is Error\r\n")
            session.expect(PROMPT)
        session.type("n=x*3" + ENTER)  # 21 million elements: seconds of work
        session.expect("n=x*3\r\n")
        time.sleep(0.2)
        pressed = time.monotonic()
        session.press(CTRL_C)  # at once: the terminal is in line mode while evaluating
        seen = session.expect("Interrupted.\r\nThe result is Error\r\n")
        waited = time.monotonic() - pressed
        check(b"The result is" not in seen, "the line is stopped before its answer", session)
        check(waited < 2.0, f"the evaluation stops promptly, not after {waited:.2f} s", session)
        session.expect(PROMPT)
        session.answer("n" + ENTER, "5")  # the assignment never happened
        session.type("1+2")
        session.expect("1+2")
        session.type(CTRL_C)  # the typed text is dropped, a new prompt comes
        session.expect("\r\n" + PROMPT.decode())
        session.answer("n" + ENTER, "5")  # evaluated alone: nothing was kept of 1+2
        session.type(CTRL_D)
        code, _ = session.finish()
        check(code == 0, f"Ctrl-D ends the console with exit code 0, not {code}", session)
        print(f"Ctrl-C stopped 21 million elements in {waited * 1000:.0f} ms")
    finally:
        session.end()


def read(path):
    with open(path, encoding="utf-8") as file:
        return file.read()


def history(console, home):
    kept = os.path.join(home, ".local", "state", "expreval", "history")
    first = Session(console, home)
    first.expect(PROMPT)
    first.answer("6*7" + ENTER, "42")
    first.answer("1+2" + ENTER, "3")
    first.type("." + ENTER)
    first.finish()
    check(read(kept) == "6*7\n1+2\n", f"the lines typed are kept in {kept}", first)

    # Quiet answers keep line editing, and Up reaches the first run's lines.
    second = Session(console, home, arguments=["-q"])
    second.type(UP + UP + ENTER)
    second.expect("6*7\r\n42\r\n")
    second.type(CTRL_D)
    code, _ = second.finish()
    check(code == 0, f"quiet answers that all succeed end with 0, not {code}", second)
    check(read(kept) == "6*7\n1+2\n6*7\n", "the second run's line is added", second)

    for arguments, settings in [(["--no-history"], {}), ([], {"EXPREVAL_HISTORY": ""})]:
        off = Session(console, home, arguments=arguments, **settings)
        off.expect(PROMPT)
        off.type(UP)  # nothing to recall
        off.answer("5*5" + ENTER, "25")
        off.type("." + ENTER)
        off.finish()
        check(read(kept) == "6*7\n1+2\n6*7\n", f"{arguments} {settings} keep no history", off)
    piped = subprocess.run([console], input=b"5*5\n", capture_output=True,
                           env=environment(home, EXPREVAL_HISTORY=os.path.join(home, "piped")))
    if os.path.exists(os.path.join(home, "piped")) or read(kept) != "6*7\n1+2\n6*7\n":
        raise Failure("piped input touched a history file")

    # A history that cannot be read costs one line on standard error, once.
    broken = Session(console, home, EXPREVAL_HISTORY=home)  # a directory
    broken.expect(PROMPT)
    broken.answer("5*5" + ENTER, "25")
    broken.type("." + ENTER)
    broken.finish()
    check(broken.output.count(b"expreval:") == 1, "one complaint about the history", broken)

    # Two consoles that end at once, each with its own line, over a full file:
    # the file is whole, holds the last 1000 lines, and both lines are in it.
    shared = os.path.join(home, "shared")
    earlier = [f"{i}+" + "0" * 200 for i in range(1000)]
    with open(shared, "w", encoding="utf-8") as file:
        file.write("".join(line + "\n" for line in earlier))
    pair = [Session(console, home, EXPREVAL_HISTORY=shared) for _ in range(2)]
    try:
        for number, session in enumerate(pair, 1):
            session.expect(PROMPT)
            session.answer(f"{number}11*1" + ENTER, f"{number}11")
        for session in pair:
            os.kill(session.pid, signal.SIGTERM)
        for session in pair:
            code, _ = session.finish()
            check(code == 143, f"SIGTERM ends the console with 143, not {code}", session)
    finally:
        for session in pair:
            session.end()
    lines = read(shared).split("\n")
    if lines[-1] != "" or lines[:-3] != earlier[2:] or sorted(lines[-3:-1]) != ["111*1", "211*1"]:
        raise Failure(f"two consoles ending at once left {len(lines) - 1} lines, ending {lines[-4:]}")


def main():
    console, build, scenario = sys.argv[1], sys.argv[2], sys.argv[3]
    editing = build == "with-libedit"
    if scenario in ("editing", "history") and not editing:
        print("SKIPPED: the console was built without libedit (install libedit-dev and reconfigure)")
        return SKIPPED
    with tempfile.TemporaryDirectory() as home:
        with open(os.path.join(home, ".editrc"), "w") as editrc:
            editrc.write(EDITRC)
        try:
            if scenario == "editing":
                history_and_editing(console, home)
                characters_beyond_ascii(console, home)
                full_stop_line(console, home)
            elif scenario == "history":
                history(console, home)
            else:
                interrupts(console, home, editing)
        except Failure as failure:
            print(f"FAILED: {failure}")
            return 1
    print({"editing": "line editing works in a terminal", "history": "history is kept across runs",
           "interrupts": "Ctrl-C works in a terminal"}[scenario])
    return 0


if __name__ == "__main__":
    sys.exit(main())
