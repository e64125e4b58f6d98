#!/usr/bin/env python3
"""Mutation check for pirVex: how many small faults put into src/ do the tests notice?

Each mutant is one small change to one source file (a flipped comparison, a
constant off by one, a dropped statement, ...). The file is changed in place,
the tests are rebuilt and the fast test tier runs; a failing or hanging run
kills the mutant, a passing one lets it survive, and a mutant that does not
build is "stillborn" and counts for nothing. The original file is always
written back, also when the run is interrupted.

Called by tests/mutation.sh; `python3 tests/mutation/mutate.py --help` lists
the options. Standard library only.
"""

from __future__ import annotations

import argparse
import bisect
import fcntl
import json
import os
import random
import re
import resource
import shutil
import signal
import subprocess
import sys
import time
from dataclasses import dataclass, field
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
EQUIVALENT_FILE = Path(__file__).resolve().parent / "equivalent.txt"

# Not compiled on this system, so a change there could never be noticed.
SKIPPED_FILES = {"src/platform/win32_platform.cpp", "src/platform/win32_platform.h"}

# Calls whose whole statement is dropped: each one writes out, closes or
# gives back something, and losing it must show in some output.
DROPPED_CALLS = {"flush", "flushAll", "closeFile", "closeList", "closePage", "releaseMemory",
                 "reset", "writeRaw"}

KEYWORDS = {
    "alignas", "alignof", "and", "asm", "auto", "bool", "break", "case", "catch", "char",
    "char8_t", "char16_t", "char32_t", "class", "co_await", "co_return", "co_yield", "concept",
    "const", "consteval", "constexpr", "constinit", "const_cast", "continue", "decltype",
    "default", "delete", "do", "double", "dynamic_cast", "else", "enum", "explicit", "export",
    "extern", "false", "float", "for", "friend", "goto", "if", "inline", "int", "long",
    "mutable", "namespace", "new", "noexcept", "not", "nullptr", "operator", "or", "private",
    "protected", "public", "register", "reinterpret_cast", "requires", "return", "short",
    "signed", "sizeof", "static", "static_assert", "static_cast", "struct", "switch",
    "template", "this", "thread_local", "throw", "true", "try", "typedef", "typeid",
    "typename", "union", "unsigned", "using", "virtual", "void", "volatile", "wchar_t", "while",
}

# Names that take a template argument list; the sources add their own.
KNOWN_TEMPLATES = {
    "static_cast", "reinterpret_cast", "const_cast", "dynamic_cast", "bit_cast", "array",
    "vector", "span", "basic_string", "basic_string_view", "unique_ptr", "shared_ptr",
    "make_unique", "make_shared", "optional", "variant", "pair", "tuple", "numeric_limits",
    "function", "map", "unordered_map", "set", "unordered_set", "deque", "list", "atomic",
    "initializer_list", "hash", "less", "greater", "is_same_v", "enable_if_t", "conditional_t",
    "remove_cvref_t", "decay_t", "get", "invoke_result_t", "lock_guard", "unique_lock",
    "duration_cast", "istreambuf_iterator", "ostreambuf_iterator", "back_insert_iterator",
}

# Names of types, so that `Type&& name` is not taken for a logical and.
KNOWN_TYPES = {
    "auto", "bool", "char", "int", "long", "short", "unsigned", "signed", "float", "double",
    "void", "string", "string_view", "size_t", "ptrdiff_t", "uint8_t", "uint16_t", "uint32_t",
    "uint64_t", "int8_t", "int16_t", "int32_t", "int64_t", "uintptr_t", "path", "const",
}

PUNCTUATORS = sorted("""
>>= <<= <=> ->* ... :: -> ++ -- << >> <= >= == != && || += -= *= /= %= &= |= ^= .*
{ } [ ] ( ) ; : , . ? ~ ! + - * / % ^ & | = < > #
""".split(), key=len, reverse=True)

NUMBER = re.compile(r"\.?\d(?:[eEpP][+-]|'[0-9A-Za-z_]|[0-9A-Za-z_.])*")
IDENT = re.compile(r"[A-Za-z_]\w*")
INTEGER = re.compile(r"^(0[xX][0-9A-Fa-f']+|0[bB][01']+|0[0-7']*|[1-9][0-9']*)([uUlLzZ]*)$")


@dataclass
class Token:
    kind: str  # id, num, str, chr, punct
    text: str
    start: int
    end: int


@dataclass
class Mutant:
    path: str      # relative to the checkout, with "/"
    line: int      # 1-based
    start: int     # offsets into the file text
    end: int
    original: str
    replacement: str
    label: str     # "ORIGINAL -> REPLACEMENT" as shown in the id
    kind: str
    ident: str = ""
    status: str = ""
    detail: str = ""
    build_seconds: float = 0.0
    test_seconds: float = 0.0
    mutated_line: str = ""

    def apply(self, text: str) -> str:
        return text[: self.start] + self.replacement + text[self.end:]


# ---------------------------------------------------------------------------
# Reading C++: tokens without comments, literals' insides or preprocessor lines


def string_literal_end(text: str, i: int, quote: str) -> int:
    """Index after the literal whose opening quote is at i."""
    j = i + 1
    while j < len(text):
        c = text[j]
        if c == "\\":
            j += 2
            continue
        if c == quote or c == "\n":
            return j + 1
        j += 1
    return j


def active_condition(directive: str) -> bool | None:
    """Whether a #if-like line's branch is compiled on this (non-Windows) system."""
    words = directive.replace("(", " ").replace(")", " ").split()
    if not words:
        return None
    head = words[0]
    if head == "ifdef":
        return not (len(words) > 1 and words[1] in ("_WIN32", "_WIN64", "_MSC_VER"))
    if head == "ifndef":
        return True if len(words) < 2 else words[1] in ("_WIN32", "_WIN64", "_MSC_VER")
    if head == "if":
        rest = " ".join(words[1:])
        if rest == "0":
            return False
        if re.fullmatch(r"defined\s*_WIN(32|64)", rest):
            return False
        if re.fullmatch(r"!\s*defined\s*_WIN(32|64)", rest):
            return True
        return True
    return None


def tokenize(text: str) -> list[Token]:
    tokens: list[Token] = []
    i = 0
    n = len(text)
    at_line_start = True
    # Stack of (this branch compiled, some branch was taken) for #if blocks.
    conditions: list[list[bool]] = []

    def compiled() -> bool:
        return all(c[0] for c in conditions)

    while i < n:
        c = text[i]
        if c == "\n":
            at_line_start = True
            i += 1
            continue
        if c in " \t\r\f\v":
            i += 1
            continue
        if text.startswith("//", i):
            j = text.find("\n", i)
            i = n if j < 0 else j
            continue
        if text.startswith("/*", i):
            j = text.find("*/", i + 2)
            i = n if j < 0 else j + 2
            continue
        if c == "#" and at_line_start:
            j = i
            while True:
                k = text.find("\n", j)
                if k < 0:
                    k = n
                    break
                if text[k - 1] == "\\" or text[k - 2:k] == "\\\r":
                    j = k + 1
                    continue
                break
            directive = text[i + 1:k].strip()
            word = directive.split()[0] if directive.split() else ""
            if word in ("if", "ifdef", "ifndef"):
                active = active_condition(directive)
                conditions.append([active is not False, active is not False])
            elif word in ("elif", "else") and conditions:
                taken = conditions[-1][1]
                active = (not taken) if word == "else" else (not taken and active_condition(
                    "if " + directive[4:]) is not False)
                conditions[-1] = [active, taken or active]
            elif word == "endif" and conditions:
                conditions.pop()
            i = k
            continue
        at_line_start = False
        start = i
        m = IDENT.match(text, i)
        if m:
            word = m.group()
            after = m.end()
            if after < n and text[after] == '"' and word in ("R", "u8R", "uR", "UR", "LR"):
                open_paren = text.find("(", after + 1)
                delimiter = text[after + 1:open_paren]
                close = text.find(")" + delimiter + '"', open_paren)
                i = n if close < 0 else close + len(delimiter) + 2
                kind = "str"
            elif after < n and text[after] in "\"'" and word in ("u8", "u", "U", "L"):
                i = string_literal_end(text, after, text[after])
                kind = "str" if text[after] == '"' else "chr"
            else:
                i = after
                kind = "id"
        elif c.isdigit() or (c == "." and i + 1 < n and text[i + 1].isdigit()):
            i = NUMBER.match(text, i).end()
            kind = "num"
        elif c == '"':
            i = string_literal_end(text, i, '"')
            kind = "str"
        elif c == "'":
            i = string_literal_end(text, i, "'")
            kind = "chr"
        else:
            for p in PUNCTUATORS:
                if text.startswith(p, i):
                    i += len(p)
                    break
            else:
                i += 1
            kind = "punct"
        if compiled():
            tokens.append(Token(kind, text[start:i], start, i))
    return tokens


# ---------------------------------------------------------------------------
# Finding the places to mutate


def matching(tokens: list[Token], i: int, open_: str, close: str) -> int:
    depth = 0
    for j in range(i, len(tokens)):
        if tokens[j].text == open_:
            depth += 1
        elif tokens[j].text == close:
            depth -= 1
            if depth == 0:
                return j
    return -1


def matching_backwards(tokens: list[Token], i: int, open_: str, close: str) -> int:
    depth = 0
    for j in range(i, -1, -1):
        if tokens[j].text == close:
            depth += 1
        elif tokens[j].text == open_:
            depth -= 1
            if depth == 0:
                return j
    return -1


TEMPLATE_CONTENT = {"::", ",", "*", "&", "<", ">", ">>", "(", ")", "[", "]", "...", "&&"}


def template_close(tokens: list[Token], i: int, forced: bool) -> int:
    """Index of the '>' that closes a template argument list opened at i, or -1."""
    depth = 1
    paren = 0
    plain = True
    for j in range(i + 1, len(tokens)):
        t = tokens[j]
        s = t.text
        if s in ("(", "["):
            paren += 1
        elif s in (")", "]"):
            paren -= 1
            if paren < 0:
                return -1
        elif s in (";", "{", "}"):
            return -1
        elif paren == 0:
            if s == "<":
                depth += 1
            elif s == ">":
                depth -= 1
            elif s == ">>":
                depth -= 2
            elif s in ("||", "?", "=") or (s == "&&" and not forced):
                return -1
            if depth <= 0:
                return j if (forced or plain) else -1
            if t.kind == "punct" and s not in TEMPLATE_CONTENT:
                plain = False
    return -1


def collect_names(all_tokens: list[list[Token]]) -> tuple[set[str], set[str]]:
    templates = set(KNOWN_TEMPLATES)
    types = set(KNOWN_TYPES)
    for tokens in all_tokens:
        for k, t in enumerate(tokens):
            nxt = tokens[k + 1] if k + 1 < len(tokens) else None
            if t.text in ("struct", "class", "enum", "union") and nxt is not None:
                j = k + 1
                if tokens[j].text in ("class", "struct"):
                    j += 1
                if j < len(tokens) and tokens[j].kind == "id":
                    types.add(tokens[j].text)
            elif t.text == "using" and nxt is not None and nxt.kind == "id" and \
                    k + 2 < len(tokens) and tokens[k + 2].text == "=":
                types.add(nxt.text)
            elif t.text == "template" and nxt is not None and nxt.text == "<":
                close = template_close(tokens, k + 1, True)
                if close < 0:
                    continue
                last = None
                for j in range(close + 1, len(tokens)):
                    s = tokens[j].text
                    if s in ("class", "struct") and j + 1 < len(tokens):
                        last = tokens[j + 1].text
                        break
                    if s in ("(", "{", ";", "="):
                        break
                    if tokens[j].kind == "id":
                        last = s
                if last:
                    templates.add(last)
    return templates, types


def integer_value(text: str) -> tuple[int, str, str] | None:
    """(value, base prefix, suffix) of an integer literal, or None."""
    m = INTEGER.match(text)
    if not m:
        return None
    digits, suffix = m.group(1).replace("'", ""), m.group(2)
    if digits[:2] in ("0x", "0X"):
        return int(digits[2:], 16), digits[:2], suffix
    if digits[:2] in ("0b", "0B"):
        return int(digits[2:], 2), digits[:2], suffix
    if len(digits) > 1 and digits[0] == "0":
        return int(digits, 8), "0", suffix
    return int(digits), "", suffix


def format_integer(value: int, prefix: str, like: str, suffix: str) -> str:
    if prefix in ("0x", "0X"):
        digits = format(value, "X" if any(ch in "ABCDEF" for ch in like) else "x")
        return prefix + digits.zfill(len(like) - 2 - len(suffix)) + suffix
    if prefix in ("0b", "0B"):
        return prefix + format(value, "b") + suffix
    if prefix == "0":
        return "0" + format(value, "o") + suffix
    return str(value) + suffix


EXPRESSION_END_KINDS = ("num", "str", "chr")


def ends_expression(t: Token) -> bool:
    if t.kind in EXPRESSION_END_KINDS:
        return True
    if t.kind == "id":
        return t.text not in KEYWORDS or t.text in ("this", "true", "false", "nullptr")
    return t.text in (")", "]")


def find_mutants(path: str, text: str, tokens: list[Token], templates: set[str],
                 types: set[str]) -> list[Mutant]:
    count = len(tokens)
    skip = [False] * count           # static_assert, operator names, template arguments
    template_bracket = [False] * count
    in_return = [False] * count

    for k, t in enumerate(tokens):
        if t.text == "static_assert" and k + 1 < count:
            close = matching(tokens, k + 1, "(", ")")
            for j in range(k, (close if close >= 0 else count - 1) + 1):
                skip[j] = True
        elif t.text == "operator" and k + 1 < count:
            skip[k + 1] = True
            if tokens[k + 1].text in ("(", "[") and k + 2 < count:
                skip[k + 2] = True
        elif t.text == "return":
            j = k + 1
            depth = 0
            while j < count:
                s = tokens[j].text
                if s in ("(", "[", "{"):
                    depth += 1
                elif s in (")", "]", "}"):
                    depth -= 1
                elif s == ";" and depth <= 0:
                    break
                in_return[j] = True
                j += 1

    for k, t in enumerate(tokens):
        if t.text != "<" or skip[k] or template_bracket[k] or k == 0:
            continue
        prev = tokens[k - 1]
        if prev.text in ("template", "operator"):
            forced = True
        elif prev.kind == "id" and prev.text not in KEYWORDS - {"static_cast", "const_cast",
                                                                "reinterpret_cast",
                                                                "dynamic_cast"}:
            forced = prev.text in templates
        else:
            continue
        close = template_close(tokens, k, forced)
        if close < 0:
            continue
        for j in range(k, close + 1):
            skip[j] = True
        template_bracket[k] = template_bracket[close] = True

    line_starts = [0] + [m.end() for m in re.finditer("\n", text)]

    def line_of(offset: int) -> int:
        return bisect.bisect_right(line_starts, offset)

    mutants: list[Mutant] = []

    def add(start: int, end: int, replacement: str, kind: str, label: str | None = None):
        original = text[start:end]
        mutants.append(Mutant(path, line_of(start), start, end, original, replacement,
                              label or f"{original} -> {replacement}", kind))

    def statement_start_before(k: int) -> bool:
        """Whether a statement can begin at token k."""
        if k == 0:
            return True
        prev = tokens[k - 1]
        if prev.text in (";", "{", "}", "else", "do"):
            return True
        if prev.text == ")":
            open_ = matching_backwards(tokens, k - 1, "(", ")")
            return open_ > 0 and tokens[open_ - 1].text in ("if", "for", "while")
        return False

    relational = {"<": ["<=", ">"], ">": [">=", "<"], "<=": ["<"], ">=": [">"],
                  "==": ["!="], "!=": ["=="]}

    for k, t in enumerate(tokens):
        if skip[k]:
            continue
        s = t.text
        prev = tokens[k - 1] if k > 0 else None
        nxt = tokens[k + 1] if k + 1 < count else None
        if t.kind == "punct" and s in relational:
            for r in relational[s]:
                add(t.start, t.end, r, "relational")
        elif s in ("&&", "||"):
            if s == "&&" and prev is not None and (
                    prev.text in types or template_bracket[k - 1] or prev.text == "const" or
                    (prev.end == t.start and nxt is not None and nxt.start > t.end)):
                continue  # a reference declarator, not a logical and
            add(t.start, t.end, "||" if s == "&&" else "&&", "logical")
        elif t.kind == "num":
            parsed = integer_value(s)
            if parsed is None:
                continue
            if prev is not None and prev.text == "=" and k >= 2 and \
                    tokens[k - 2].text in (")", "const", "override", "noexcept"):
                continue  # "= 0" of a pure virtual function
            value, prefix, suffix = parsed
            digits = s[: len(s) - len(suffix)] if suffix else s
            add(t.start, t.end, format_integer(value + 1, prefix, digits, suffix), "constant")
            if value > 0:
                add(t.start, t.end, format_integer(value - 1, prefix, digits, suffix),
                    "constant")
        elif s in ("true", "false") and in_return[k]:
            add(t.start, t.end, "false" if s == "true" else "true", "boolean")
        elif s == "!":
            add(t.start, t.end, "", "negation", "! -> (removed)")
        elif s in ("++", "--"):
            add(t.start, t.end, "--" if s == "++" else "++", "increment")
        elif s in ("+", "-") and nxt is not None and nxt.kind == "num" and prev is not None \
                and ends_expression(prev) and (integer_value(nxt.text) or (0,))[0] == 1:
            other = "-" if s == "+" else "+"
            add(t.start, t.end, other, "plus-one", f"{s} 1 -> {other} 1")
        elif s == "stable_sort":
            add(t.start, t.end, "sort", "sort",
                "std::stable_sort -> std::sort" if prev is not None and prev.text == "::"
                else None)

        # Dropped statements.
        if s in ("return", "continue", "break") and statement_start_before(k):
            if s == "return":
                if k + 2 < count and tokens[k + 1].text in ("true", "false") and \
                        tokens[k + 2].text == ";":
                    add(t.start, tokens[k + 2].end, ";", "dropped")
            elif nxt is not None and nxt.text == ";":
                add(t.start, nxt.end, ";", "dropped")
        elif t.kind == "id" and s in DROPPED_CALLS and nxt is not None and nxt.text == "(":
            close = matching(tokens, k + 1, "(", ")")
            if close < 0 or close + 1 >= count or tokens[close + 1].text != ";":
                continue
            first = k
            while first >= 2 and tokens[first - 1].text in (".", "->", "::"):
                before = tokens[first - 2]
                if before.kind == "id":
                    first -= 2
                elif before.text in (")", "]"):
                    opener = matching_backwards(tokens, first - 2,
                                                "(" if before.text == ")" else "[",
                                                before.text)
                    if opener <= 0 or tokens[opener - 1].kind != "id":
                        break
                    first = opener - 1
                else:
                    break
            if statement_start_before(first):
                statement = text[tokens[first].start:tokens[close + 1].end]
                add(tokens[first].start, tokens[close + 1].end, ";", "dropped",
                    f"{' '.join(statement.split())} -> ;")

    # Stable ids: the same change more than once on a line gets "(#2)", "(#3)", ...
    seen: dict[tuple[int, str], int] = {}
    for m in sorted(mutants, key=lambda m: (m.start, m.replacement)):
        key = (m.line, m.label)
        seen[key] = seen.get(key, 0) + 1
        suffix = f" (#{seen[key]})" if seen[key] > 1 else ""
        m.ident = f"{m.path}:{m.line}: {m.label}{suffix}"
    mutants.sort(key=lambda m: (m.start, m.replacement))
    return mutants


def source_files() -> list[str]:
    listed = subprocess.run(["git", "ls-files", "--", "src"], cwd=ROOT, check=True,
                            capture_output=True, text=True).stdout.split()
    files = []
    for name in sorted(listed):
        if not (name.endswith(".cpp") or name.endswith(".h")) or name in SKIPPED_FILES:
            continue
        head = (ROOT / name).read_text(encoding="utf-8", errors="surrogateescape")[:400]
        if re.search(r"generated|do not edit", head, re.IGNORECASE) and \
                "generated/" not in head:
            continue
        files.append(name)
    return files


def all_mutants(only: list[str]) -> list[Mutant]:
    files = source_files()
    texts = {f: (ROOT / f).read_text(encoding="utf-8", errors="surrogateescape") for f in files}
    tokens = {f: tokenize(texts[f]) for f in files}
    templates, types = collect_names(list(tokens.values()))
    result = []
    for f in files:
        if only and not any(f.startswith(o) or o in f for o in only):
            continue
        result.extend(find_mutants(f, texts[f], tokens[f], templates, types))
    return result


def read_equivalents() -> list[tuple[str, str]]:
    if not EQUIVALENT_FILE.exists():
        return []
    entries = []
    for raw in EQUIVALENT_FILE.read_text(encoding="utf-8").splitlines():
        line = raw.strip()
        if not line or line.startswith("#"):
            continue
        ident, _, reason = line.partition(" | ")
        entries.append((ident.strip(), reason.strip()))
    return entries


# ---------------------------------------------------------------------------
# Running


class Interrupted(Exception):
    pass


def on_signal(signum, _frame):
    raise Interrupted(signal.Signals(signum).name)


def limit_resources():
    # A mutant that loops while allocating or writing must not take the machine with it.
    gib = 1 << 30
    resource.setrlimit(resource.RLIMIT_AS, (6 * gib, 6 * gib))
    resource.setrlimit(resource.RLIMIT_FSIZE, (2 * gib, 2 * gib))


# Where the process group of the running build or test run is noted, so that
# the cleanup after a hard kill can end it too.
CHILD_RECORD: Path | None = None


def run_group(command: list[str], timeout: float, env=None, limited=False):
    """Runs a command in its own process group; (exit code or None on timeout, output)."""
    process = subprocess.Popen(command, cwd=ROOT, stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT, text=True, errors="replace", env=env,
                               start_new_session=True,
                               preexec_fn=limit_resources if limited else None)
    if CHILD_RECORD is not None:
        CHILD_RECORD.parent.mkdir(parents=True, exist_ok=True)
        CHILD_RECORD.write_text(f"{process.pid} {command[0]}")
    try:
        output, _ = process.communicate(timeout=timeout)
        return process.returncode, output
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        output, _ = process.communicate()
        return None, output
    finally:
        if process.poll() is None:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
        if CHILD_RECORD is not None:
            CHILD_RECORD.unlink(missing_ok=True)


class Restorer:
    """Keeps the original of the file under mutation, in memory and on disk."""

    def __init__(self, build: Path):
        self.directory = build / "mutation-backup"
        self.marker = self.directory / "active.json"
        self.path: Path | None = None
        self.original: bytes | None = None

    def end_orphan(self):
        """Ends the build or test run that a hard-killed run left behind."""
        record = self.directory / "child"
        if not record.exists():
            return
        pid_text, _, program = record.read_text().partition(" ")
        record.unlink()
        try:
            cmdline = Path(f"/proc/{int(pid_text)}/cmdline").read_bytes().split(b"\0")[0]
            if os.path.basename(cmdline.decode(errors="replace")) == program:
                os.killpg(int(pid_text), signal.SIGKILL)
        except (OSError, ValueError):
            pass

    def recover(self) -> str | None:
        """Writes back a file that an earlier run left mutated (it was killed hard)."""
        self.end_orphan()
        if not self.marker.exists():
            return None
        info = json.loads(self.marker.read_text())
        target = ROOT / info["path"]
        target.write_bytes((self.directory / "original").read_bytes())
        self.marker.unlink()
        return info["path"]

    def mutate(self, path: str, content: str):
        target = ROOT / path
        self.original = target.read_bytes()
        self.path = target
        self.directory.mkdir(parents=True, exist_ok=True)
        (self.directory / "original").write_bytes(self.original)
        self.marker.write_text(json.dumps({"path": path}))
        target.write_bytes(content.encode("utf-8", errors="surrogateescape"))

    def restore(self):
        if self.path is None:
            return
        self.path.write_bytes(self.original)
        if self.path.read_bytes() != self.original:
            raise RuntimeError(f"could not restore {self.path}")
        self.marker.unlink(missing_ok=True)
        self.path = None
        self.original = None


def lock_checkout() -> int | None:
    """Takes the lock on src/ that a run holds while it may change files there.

    None when another run holds it: that run's mutant must not be taken for
    one left behind. The lock goes with the process, also when it is killed.
    """
    fd = os.open(ROOT / "src", os.O_RDONLY)
    try:
        fcntl.flock(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except BlockingIOError:
        os.close(fd)
        return None
    return fd


def git_diff_src() -> bytes:
    return subprocess.run(["git", "diff", "--", "src"], cwd=ROOT, check=True,
                          capture_output=True).stdout


def first_error(output: str) -> str:
    for line in output.splitlines():
        if "error:" in line or "Error " in line:
            return line.strip()[:200]
    return output.strip().splitlines()[-1][:200] if output.strip() else ""


def failed_tests(output: str) -> str:
    names = re.findall(r"^\s*\d+ - (.+?) \((.+?)\)\s*$", output, re.MULTILINE)
    return ", ".join(f"{n} ({why})" for n, why in names[:3])


def configure_and_build(build: Path, jobs: int) -> None:
    command = ["cmake", "-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
               "-DPIRVEX_TESTS=ON", "-DPIRVEX_WERROR=OFF",
               # Tests are listed when ctest runs, so a build only compiles and links.
               "-DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST"]
    if not (build / "CMakeCache.txt").exists() and shutil.which("ninja"):
        command += ["-G", "Ninja"]
    print("== configure", build, flush=True)
    subprocess.run(command, cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    print("== build", flush=True)
    subprocess.run(build_command(build, jobs), cwd=ROOT, check=True, stdout=subprocess.DEVNULL)


def build_command(build: Path, jobs: int) -> list[str]:
    # Everything the tests run: the tool and every test executable.
    return ["cmake", "--build", str(build), "-j", str(jobs)]


def test_command(build: Path, jobs: int, timeout: int) -> list[str]:
    # The fast tier: everything but the tests labelled slow.
    return ["ctest", "--test-dir", str(build), "-j", str(jobs), "--timeout", str(timeout),
            "--stop-on-failure", "-LE", "slow"]


def test_environment(build: Path) -> dict:
    # Tests make their directories below TMPDIR; one of our own is emptied after each run, so
    # that what a killed run leaves behind does not pile up.
    scratch = build / "mutation-tmp"
    shutil.rmtree(scratch, ignore_errors=True)
    scratch.mkdir(parents=True)
    env = dict(os.environ)
    env["TMPDIR"] = str(scratch)
    return env


def run_tests(build: Path, args) -> tuple[int | None, str, float]:
    began = time.monotonic()
    code, output = run_group(test_command(build, args.jobs, args.timeout),
                             2 * args.timeout + 60, env=test_environment(build), limited=True)
    shutil.rmtree(build / "mutation-tmp", ignore_errors=True)
    return code, output, time.monotonic() - began


def line_text(text: str, line: int) -> str:
    return text.splitlines()[line - 1].strip() if line - 1 < len(text.splitlines()) else ""


def report(args, build: Path, sites: int, pool: int, ran: list[Mutant],
           equivalents: list[tuple[str, str, bool]], elapsed: float, baseline: float,
           interrupted: bool) -> tuple[str, float | None]:
    killed = [m for m in ran if m.status == "killed"]
    survived = [m for m in ran if m.status == "survived"]
    stillborn = [m for m in ran if m.status == "stillborn"]
    scored = len(killed) + len(survived)
    score = 100.0 * len(killed) / scored if scored else None
    lines = []
    lines.append("Mutation check of src/" + (" (interrupted)" if interrupted else ""))
    lines.append(f"  sites found         {sites} ({pool} after the equivalent ones)")
    selection = "all" if args.all else f"sample of {args.count}, seed {args.seed}"
    lines.append(f"  mutants run         {len(ran)} ({selection})")
    lines.append(f"  killed              {len(killed)}")
    lines.append(f"  survived            {len(survived)}")
    lines.append(f"  stillborn           {len(stillborn)} (did not build; not scored)")
    known = [e for e in equivalents if e[2]]
    lines.append(f"  equivalent          {len(known)} (listed in tests/mutation/equivalent.txt;"
                 " not run, not scored)")
    lines.append("  score               " + ("n/a" if score is None else
                                             f"{score:.1f}% = killed / (killed + survived)"))
    if ran:
        lines.append(f"  time                {elapsed:.0f} s, {elapsed / len(ran):.1f} s per "
                     f"mutant (build {sum(m.build_seconds for m in ran) / len(ran):.1f} s, "
                     f"tests {sum(m.test_seconds for m in ran) / len(ran):.1f} s); "
                     f"unmutated tests {baseline:.1f} s")
    lines.append("")
    lines.append(f"Survivors ({len(survived)}):")
    for m in survived:
        lines.append(f"  {m.ident}")
        lines.append(f"      {m.mutated_line}")
    lines.append("")
    lines.append(f"Equivalent mutants ({len(known)}):")
    for ident, reason, found in equivalents:
        mark = "" if found else "  [no such site any more: update the list]"
        lines.append(f"  {ident} | {reason}{mark}")
    lines.append("")
    lines.append(f"Stillborn ({len(stillborn)}):")
    for m in stillborn:
        lines.append(f"  {m.ident}")
        lines.append(f"      {m.detail}")
    lines.append("")
    lines.append(f"Killed ({len(killed)}):")
    for m in killed:
        lines.append(f"  {m.ident}  <- {m.detail}")
    return "\n".join(lines) + "\n", score


def parse_arguments(argv):
    parser = argparse.ArgumentParser(
        prog="tests/mutation.sh",
        description="Mutates src/ one small change at a time and runs the tests against each "
                    "change. Prints the mutation score and every surviving mutant.")
    parser.add_argument("--seed", type=int, default=1, help="seed of the sample (default 1)")
    parser.add_argument("--count", type=int, default=120,
                        help="mutants in the sample (default 120)")
    parser.add_argument("--all", action="store_true", help="every site instead of a sample")
    parser.add_argument("--jobs", type=int, default=2,
                        help="parallel jobs for the build and for ctest (default 2)")
    parser.add_argument("--build-dir", default="build-mutation",
                        help="build directory of its own (default build-mutation)")
    parser.add_argument("--timeout", type=int, default=120,
                        help="seconds per test in a run; a test that takes longer kills the "
                             "mutant (default 120)")
    parser.add_argument("--build-timeout", type=int, default=900,
                        help="seconds for one rebuild; longer counts as stillborn (default 900)")
    parser.add_argument("--list", action="store_true",
                        help="print the sites (those the sample would run marked *) and stop")
    parser.add_argument("--only", action="append", default=[], metavar="PATH",
                        help="only files whose path begins with or contains PATH (repeatable)")
    parser.add_argument("--min-score", type=float, default=None, metavar="P",
                        help="exit with 1 when the score is below P percent")
    parser.add_argument("--restore-only", action="store_true", help=argparse.SUPPRESS)
    return parser.parse_args(argv)


def main(argv) -> int:
    args = parse_arguments(argv)
    build = (ROOT / args.build_dir).resolve()
    if lock_checkout() is None:
        if args.restore_only:
            return 0
        print("another mutation run is changing src/ in this checkout; wait for it to end",
              file=sys.stderr)
        return 2
    restorer = Restorer(build)
    recovered = restorer.recover()
    if recovered:
        print(f"restored {recovered}, which a mutation run had left mutated", file=sys.stderr)
    global CHILD_RECORD
    CHILD_RECORD = restorer.directory / "child"
    if args.restore_only:
        return 0

    sites = all_mutants(args.only)
    equivalent_list = read_equivalents()
    by_ident = {m.ident: m for m in sites}
    equivalents = [(ident, reason, ident in by_ident) for ident, reason in equivalent_list]
    excluded = {ident for ident, _, found in equivalents if found}
    pool = [m for m in sites if m.ident not in excluded]
    if args.all or args.count >= len(pool):
        sample = list(pool)
    else:
        sample = random.Random(args.seed).sample(pool, args.count)
    sample.sort(key=lambda m: (m.path, m.start, m.replacement))

    if args.list:
        chosen = {m.ident for m in sample}
        texts: dict[str, str] = {}
        for m in sites:
            text = texts.setdefault(m.path, (ROOT / m.path).read_text(
                encoding="utf-8", errors="surrogateescape"))
            mark = "=" if m.ident in excluded else ("*" if m.ident in chosen else " ")
            print(f"{mark} {m.ident:70}  {line_text(m.apply(text), m.line)}")
        kinds: dict[str, int] = {}
        for m in sites:
            kinds[m.kind] = kinds.get(m.kind, 0) + 1
        print(f"{len(sites)} sites in {len({m.path for m in sites})} files "
              f"({', '.join(f'{k} {v}' for k, v in sorted(kinds.items()))}); "
              f"* = in the sample (seed {args.seed}, count {args.count}), = equivalent")
        for ident, reason, found in equivalents:
            if not found:
                print(f"stale entry in {EQUIVALENT_FILE.relative_to(ROOT)}: {ident}",
                      file=sys.stderr)
        return 0

    for signum in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(signum, on_signal)

    diff_before = git_diff_src()
    if diff_before:
        print("note: src/ has uncommitted changes; they are mutated along", file=sys.stderr)
    configure_and_build(build, args.jobs)
    print("== unmutated tests", flush=True)
    code, output, baseline = run_tests(build, args)
    if code != 0:
        print(output[-3000:], file=sys.stderr)
        print("the tests fail without any mutant; nothing to measure", file=sys.stderr)
        return 2
    print(f"   passed in {baseline:.1f} s", flush=True)

    ran: list[Mutant] = []
    interrupted = False
    began = time.monotonic()
    width = len(str(len(sample)))
    try:
        for number, m in enumerate(sample, 1):
            text = (ROOT / m.path).read_text(encoding="utf-8", errors="surrogateescape")
            if text[m.start:m.end] != m.original:
                raise RuntimeError(f"{m.path} changed while running")
            mutated = m.apply(text)
            m.mutated_line = line_text(mutated, m.line)
            restorer.mutate(m.path, mutated)
            try:
                t0 = time.monotonic()
                code, output = run_group(build_command(build, args.jobs), args.build_timeout)
                m.build_seconds = time.monotonic() - t0
                if code != 0:
                    m.status = "stillborn"
                    m.detail = "build timed out" if code is None else first_error(output)
                else:
                    code, output, m.test_seconds = run_tests(build, args)
                    if code is None:
                        m.status, m.detail = "killed", "test run timed out"
                    elif code != 0:
                        m.status = "killed"
                        m.detail = failed_tests(output) or "ctest failed"
                    else:
                        m.status = "survived"
            finally:
                restorer.restore()
            ran.append(m)
            print(f"[{number:>{width}}/{len(sample)}] {m.status.upper():9} {m.ident}  "
                  f"({m.build_seconds:.1f} + {m.test_seconds:.1f} s)", flush=True)
    except Interrupted as stop:
        interrupted = True
        print(f"\ninterrupted ({stop}); the file is restored", file=sys.stderr)
    except KeyboardInterrupt:
        interrupted = True
        print("\ninterrupted; the file is restored", file=sys.stderr)
    finally:
        restorer.restore()
    elapsed = time.monotonic() - began

    if git_diff_src() != diff_before:
        print("ERROR: src/ differs from before the run", file=sys.stderr)
        return 2
    if not diff_before and subprocess.run(["git", "diff", "--quiet", "--", "src"],
                                          cwd=ROOT).returncode != 0:
        print("ERROR: src/ is not clean after the run", file=sys.stderr)
        return 2

    if not interrupted:
        # The build directory holds the unmutated code again, for whoever runs ctest next.
        run_group(build_command(build, args.jobs), args.build_timeout)

    text, score = report(args, build, len(sites), len(pool), ran, equivalents, elapsed,
                         baseline, interrupted)
    print()
    print(text, end="")
    report_file = build / "mutation-report.txt"
    report_file.write_text(text, encoding="utf-8")
    print(f"(report written to {report_file.relative_to(ROOT) if report_file.is_relative_to(ROOT) else report_file})")
    if interrupted:
        return 130
    if args.min_score is not None and (score is None or score < args.min_score):
        print(f"score below {args.min_score}%", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
