#!/usr/bin/env python3
"""tamrix's interactive prompt on a pseudo-terminal, as a user meets it:
an entry continued over lines while a bracket or comment is open, a
definition used by a later entry, a compile error underlined in the typed
line, Ctrl-C dropping a half-typed line, history recall with the up arrow,
:help, :quit, and the history file left behind.

    prompt_test.py TAMRIX
"""
import os
import pty
import re
import select
import sys
import tempfile

# Only a guard against a prompt that never answers; nothing here is timed.
PATIENCE_SECONDS = 60
ESCAPES = re.compile(rb"\x1b(\[[0-9;?]*[A-Za-z]|[()][A-Z0-9]|[=>])")


class Terminal:
    def __init__(self, argv, env):
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            os.execve(argv[0], argv, env)
        self.seen = b""  # everything shown so far, escape sequences removed

    def send(self, text):
        os.write(self.fd, text.encode())

    def expect(self, pattern):
        """Reads until `pattern` (a regular expression on the text shown since
        the last match) appears; returns the text up to the end of the match."""
        regex = re.compile(pattern.encode(), re.S)
        while True:
            match = regex.search(self.seen)
            if match:
                shown, self.seen = self.seen[: match.end()], self.seen[match.end():]
                return shown.decode("utf-8", "replace")
            ready, _, _ = select.select([self.fd], [], [], PATIENCE_SECONDS)
            chunk = b""
            if ready:
                try:
                    chunk = os.read(self.fd, 4096)
                except OSError:
                    pass
            if not chunk:
                sys.exit("prompt test: waited in vain for %r; the terminal shows:\n%s"
                         % (pattern, self.seen.decode("utf-8", "replace")))
            self.seen += ESCAPES.sub(b"", chunk).replace(b"\r", b"")

    def exit_status(self):
        _, status = os.waitpid(self.pid, 0)
        return os.waitstatus_to_exitcode(status)


def main():
    tamrix = sys.argv[1]
    with tempfile.TemporaryDirectory() as state:
        env = {"PATH": "/usr/bin:/bin", "TERM": "xterm", "INPUTRC": "/dev/null",
               "LC_ALL": "C.UTF-8", "HOME": state, "XDG_STATE_HOME": state}
        term = Terminal([tamrix], env)
        PROMPT, MORE = r"tamrix> $", r"\.\.\.> $"
        term.expect(r":help for help.*" + PROMPT)

        # Open brackets and a block comment continue the entry.
        term.send("f(x)=(x+\r")
        term.expect(MORE)
        term.send("1)*2 /* twice\r")
        term.expect(MORE)
        term.send("the next */; f(3)\r")
        term.expect(r"\n8\n" + PROMPT)
        # The definition stays callable from a later entry.
        term.send("f(0.25)\r")
        term.expect(r"\n2\.5\n" + PROMPT)

        # A compile error names the typed line and underlines its range.
        term.send("1+2; 2*-3\r")
        shown = term.expect(PROMPT)
        for needed in ("<input>:1:7: compile error 23 at 1:7-1:8", "  1+2; 2*-3\n        ^~\n"):
            if needed not in shown:
                sys.exit("prompt test: the compile error lacks %r:\n%s" % (needed, shown))

        # Ctrl-C drops the half-typed line.
        term.send("123")
        term.expect("123")
        term.send("\x03")
        term.expect(PROMPT)
        term.send("4\r")
        term.expect(r"\n4\n" + PROMPT)

        # Three times up (past "4" and "1+2; 2*-3") recalls "f(0.25)", then edited.
        term.send("\x1b[A\x1b[A\x1b[A")
        term.expect(r"f\(0\.25\)")
        term.send("+1\r")
        term.expect(r"\n3\.5\n" + PROMPT)

        term.send(":help stop\r")
        term.expect(r"stop\(\)：当前表达式计算完后停止执行本模块。.*" + PROMPT)
        term.send(":quit\r")
        status = term.exit_status()
        if status != 0:
            sys.exit("prompt test: :quit ended with status %d" % status)
        with open(os.path.join(state, "tamrix", "history"), encoding="utf-8") as history:
            lines = history.read()
        if "f(0.25)+1" not in lines or ":quit" not in lines:
            sys.exit("prompt test: the history file lacks the session's lines:\n" + lines)


if __name__ == "__main__":
    main()
