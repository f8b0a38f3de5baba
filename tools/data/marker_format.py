"""The marker format of the parameter (.conf) and path (.bsp) files, both
ways: a writer that puts every value on its own line under a comment that
names it, and a reader that follows the demo's own reading discipline
token by token, so that the checks see exactly what the demo will read.

The reader's rules: a token is at most 99 characters and ends only at a
space (a line break does not end it); a token that is the marker "`" is
followed by the value; any other token makes the reader drop the rest of
its line (at most 99 more characters) and go on. So a comment line must
have a space after its first word, and no comment may hold the marker."""
import re

MARKER = "`"
TOKEN_LIMIT = 99
WHITESPACE = " \t\n\v\f\r"


class MarkerFile:
    """Collects comment lines and values, and renders the file text."""

    def __init__(self, *heading):
        self.lines = [check_comment(line) for line in heading]

    def comment(self, text):
        self.lines.append(check_comment(text))

    def value(self, name, number):
        self.lines.append(check_comment(name))
        self.lines.append(f"{MARKER} {format_number(number)}")

    def values(self, name, numbers):
        """Several numbers behind one marker, as a path key is written."""
        self.lines.append(check_comment(name))
        self.lines.append(MARKER + " " + " ".join(format_number(n) for n in numbers))

    def blank(self):
        self.lines.append("")

    def text(self):
        return "\n".join(self.lines) + "\n"


def format_number(number):
    """Integers as integers; doubles always with a decimal point, to at most
    six places, so that a reader sees which type is meant."""
    if isinstance(number, int):
        return str(number)
    text = f"{number:.6f}".rstrip("0")
    return text + "0" if text.endswith(".") else text


def check_comment(line):
    if line == "":
        return line
    first_word_ends = line.find(" ")
    if first_word_ends <= 0 or MARKER in line or len(line) > 90 or line != line.strip():
        raise ValueError(f"comment line would be misread: {line!r}")
    return line


class MarkerReader:
    """Reads values the way the demo does; `failed` mirrors a failed stream."""

    def __init__(self, text):
        self.text, self.pos, self.failed = text, 0, False

    def skip_whitespace(self):
        while self.pos < len(self.text) and self.text[self.pos] in WHITESPACE:
            self.pos += 1

    def skip_to_marker(self):
        while not self.failed:
            self.skip_whitespace()
            if self.pos >= len(self.text):
                self.failed = True
                return False
            end = self.pos
            while end < len(self.text) and end - self.pos < TOKEN_LIMIT and self.text[end] != " ":
                end += 1
            token = self.text[self.pos:end]
            self.pos = end
            if token == MARKER:
                return True
            rest = self.pos
            while rest < len(self.text) and rest - self.pos < TOKEN_LIMIT and self.text[rest] != "\n":
                rest += 1
            self.pos = rest
        return False

    def extract(self, pattern, convert):
        self.skip_whitespace()
        match = re.compile(pattern).match(self.text, self.pos)
        if not match:
            self.failed = True
            return None
        self.pos = match.end()
        return convert(match.group(0))

    def extract_int(self):
        return self.extract(r"[+-]?\d+", int)

    def extract_double(self):
        return self.extract(r"[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?", float)

    def read_int(self):
        return self.extract_int() if self.skip_to_marker() else None

    def read_double(self):
        return self.extract_double() if self.skip_to_marker() else None
