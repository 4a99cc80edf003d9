#!/usr/bin/env python3
"""Adds texts to a language source, keeping the numbers in ascending order.

    python3 tools/addtexts.py data/lang/orba_lng.txt 5500 "Text" [5501 "Text" ...]

A number already present is replaced. Comment lines stay where they are;
a new text goes in front of the first text with a higher number.
"""
import sys


def main():
    path = sys.argv[1]
    args = sys.argv[2:]
    new = {int(args[i]): args[i + 1] for i in range(0, len(args), 2)}
    lines = open(path, encoding="utf-8").read().split("\n")
    out = []
    i = 0
    while i < len(lines):
        line = lines[i]
        if line.strip().isdigit():
            n = int(line.strip())
            for k in sorted(k for k in new if k < n):
                out += [str(k), new.pop(k)]
            if n in new:
                out += [line, new.pop(n)]
                i += 2
                continue
            out += [line, lines[i + 1]]
            i += 2
            continue
        if line.strip() == ".":
            for k in sorted(new):
                out += [str(k), new.pop(k)]
        out.append(line)
        i += 1
    open(path, "w", encoding="utf-8").write("\n".join(out))


if __name__ == "__main__":
    main()
