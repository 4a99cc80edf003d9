#!/usr/bin/env python3
"""Lists functions longer than a limit (default 100 lines), longest first.

Usage: tools/longfn.py [--limit N] [DIR_OR_FILE...]
Without paths it looks at the core: platform/, model/, operation/, render/.
A function's length counts its lines from the signature's first line to the
closing brace. Exits 1 when any function is over the limit, so a check can
call it.
"""
import argparse
import os
import re
import sys

CORE = ["platform", "model", "operation", "render"]
NOT_FUNCTION = re.compile(r"^\s*(template\s*<[^>]*>\s*)?(struct|class|union|enum|namespace|extern)\b")


def strip_code(text):
    """The text with comments, strings and character literals blanked and
    line breaks kept, so braces can be counted."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
            i = j
        elif c == '"' or c == "'":
            # Raw strings are not used in this tree; plain escapes are enough.
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            out.append(c + " " * (j - i - 1) + c)
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


def functions(path):
    """(name, first line, line count) of each function defined in the file."""
    with open(path, encoding="utf-8", errors="replace") as f:
        code = strip_code(f.read())
    lines = code.split("\n")
    found = []
    # Each open brace: (kind, first line); kind is "scope" for namespaces and
    # extern blocks, whose contents are still at file level.
    stack = []
    head_start = 0  # first line of the text since the last statement at file level
    for no, line in enumerate(lines):
        for col, ch in enumerate(line):
            at_file_level = all(k == "scope" for k, _ in stack)
            if ch == "{":
                if at_file_level:
                    head = " ".join(lines[head_start:no]) + " " + line[:col]
                    if re.match(r"^\s*(namespace\b|extern\s*\"?)", head):
                        stack.append(("scope", no))
                    elif "(" in head and not NOT_FUNCTION.match(head) and "=" not in head.split("(")[0]:
                        name = re.findall(r"([A-Za-z_~][\w:~]*)\s*\(", head)
                        stack.append(("function:" + (name[0] if name else "?"), head_start))
                    else:
                        stack.append(("other", no))
                else:
                    stack.append(("inner", no))
            elif ch == "}":
                if stack:
                    kind, first = stack.pop()
                    if kind.startswith("function:"):
                        found.append((kind[9:], first + 1, no - first + 1))
                if all(k == "scope" for k, _ in stack):
                    head_start = no + 1
            elif ch == ";" and all(k == "scope" for k, _ in stack):
                head_start = no + 1
        if all(k == "scope" for k, _ in stack):
            stripped = line.strip()
            if not stripped or stripped.startswith("#"):
                head_start = no + 1
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--limit", type=int, default=100)
    parser.add_argument("paths", nargs="*")
    args = parser.parse_args()
    root = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    paths = args.paths or [os.path.join(root, d) for d in CORE]
    files = []
    for p in paths:
        if os.path.isdir(p):
            for dirpath, _, names in os.walk(p):
                files += [os.path.join(dirpath, n) for n in names if n.endswith((".cpp", ".h"))]
        else:
            files.append(p)
    long_ones = []
    for path in sorted(files):
        for name, first, count in functions(path):
            if count > args.limit:
                long_ones.append((count, os.path.relpath(path, root), first, name))
    for count, path, first, name in sorted(long_ones, reverse=True):
        print(f"{count:5d}  {path}:{first}  {name}")
    return 1 if long_ones else 0


if __name__ == "__main__":
    sys.exit(main())
