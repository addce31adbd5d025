#!/usr/bin/env python3
"""Lists every C++ function whose definition runs over a number of lines (60 by default).

    scripts/long-functions.py [--max N] [path ...]      (default: src/)

A function's length is counted from the first line of its declaration (template line
included) to its closing brace. Comments, string and character literals (raw strings
too) and preprocessor lines are blanked first, so braces inside them do not count.
Lambdas and local classes count as part of the function that holds them; a lambda
written at namespace scope counts as a function of its own. Prints one line a function,
"<lines>  <file>:<line>  <name>", longest first, and exits 1 if it printed any.
"""
import argparse
import os
import re
import sys

SOURCE_ENDINGS = (".cpp", ".cc", ".h", ".hpp", ".inl")
CONTROL = re.compile(r"^(if|for|while|switch|catch|do|else|try)\b")
RECORD = re.compile(r"\b(class|struct|union|enum)\b[^()]*$")


def blank(text):
    """Returns text of the same length and lines, code only."""
    out = list(text)
    i, n = 0, len(text)

    def wipe(a, b):
        for k in range(a, b):
            if out[k] != "\n":
                out[k] = " "

    line_start = True
    while i < n:
        c = text[i]
        if line_start and c == "#":
            j = i
            while j < n and not (text[j] == "\n" and text[j - 1] != "\\"):
                j += 1
            wipe(i, j)
            i = j
            continue
        if c == "\n":
            line_start = True
            i += 1
            continue
        if not c.isspace():
            line_start = False
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            wipe(i, j)
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            wipe(i, j)
            i = j
        elif c == "R" and i + 1 < n and text[i + 1] == '"' and not (
                i > 0 and (text[i - 1].isalnum() or text[i - 1] == "_") and
                not re.match(r"(u8|u|U|L)$", text[max(0, i - 2):i])):
            m = re.match(r'R"([^()\\ ]{0,16})\(', text[i:])
            if not m:
                i += 1
                continue
            end = text.find(")" + m.group(1) + '"', i + m.end())
            end = n if end < 0 else end + len(m.group(1)) + 2
            wipe(i, end)
            i = end
        elif c == '"' or (c == "'" and not (i > 0 and text[i - 1].isalnum())):
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            wipe(i, j + 1)
            i = j + 1
        else:
            i += 1
    return "".join(out)


def matching(code):
    """Maps each '{' offset to its '}' offset."""
    pairs, stack = {}, []
    for i, c in enumerate(code):
        if c == "{":
            stack.append(i)
        elif c == "}" and stack:
            pairs[stack.pop()] = i
    return pairs


def strip_template_prefix(header):
    while header.startswith("template"):
        i = header.find("<")
        depth = 0
        for j in range(i, len(header)):
            depth += {"<": 1, ">": -1}.get(header[j], 0)
            if depth == 0:
                header = header[j + 1:].lstrip()
                break
        else:
            return header
    return header


def function_name(header):
    depth = 0
    for j, c in enumerate(header):
        if c == "(" and depth == 0:
            m = re.search(r"([~\w:]+(?:operator\s*[^\s(]+)?)\s*(?:<[^()]*>)?\s*$", header[:j])
            if m:
                return m.group(1)
            return "lambda" if "[" in header[:j] else header[:j].strip()[-40:]
        if c in "<":
            depth += 1
        elif c == ">" and depth:
            depth -= 1
    return header[:40]


def scan(path, code, limit, found):
    pairs = matching(code)
    line_of = [0] * (len(code) + 1)
    line = 1
    for i, c in enumerate(code):
        line_of[i] = line
        if c == "\n":
            line += 1
    line_of[len(code)] = line

    def walk(start, end):
        head = start
        i = start
        while i < end:
            c = code[i]
            if c in ";}":
                head = i + 1
            elif c == "{":
                close = pairs.get(i, end)
                header = " ".join(code[head:i].split())
                after = code[close + 1:close + 40].lstrip()
                bare = strip_template_prefix(header)
                if re.search(r"\b(namespace|extern)\b", bare) and "(" not in bare:
                    walk(i + 1, close)
                elif RECORD.search(bare) and not re.search(r"=\s*$", bare):
                    walk(i + 1, close)
                    after_record = close + 1
                    i = after_record
                    head = i
                    continue
                elif ("(" in bare and not CONTROL.match(bare) and not bare.endswith("=")
                      and not after.startswith((",", "{"))):
                    first = head + (len(code[head:i]) - len(code[head:i].lstrip()))
                    length = line_of[close] - line_of[first] + 1
                    if length > limit:
                        found.append((length, path, line_of[first], function_name(bare)))
                    head = close + 1
                    i = close + 1
                    continue
                elif after.startswith((",", "{")) and "(" in bare:
                    # a member initialised with braces in a constructor's list
                    i = close + 1
                    continue
                i = close
                head = close + 1
            i += 1

    walk(0, len(code))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--max", type=int, default=60)
    parser.add_argument("paths", nargs="*")
    args = parser.parse_args()
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    paths = args.paths or [os.path.join(root, "src")]
    files = []
    for p in paths:
        if os.path.isdir(p):
            for d, _, names in os.walk(p):
                files += [os.path.join(d, f) for f in names if f.endswith(SOURCE_ENDINGS)]
        else:
            files.append(p)
    found = []
    for f in sorted(files):
        with open(f, encoding="utf-8", errors="replace") as fh:
            scan(os.path.relpath(f), blank(fh.read()), args.max, found)
    for length, path, line, name in sorted(found, key=lambda x: (-x[0], x[1], x[2])):
        print(f"{length:5d}  {path}:{line}  {name}")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
