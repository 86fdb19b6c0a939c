#!/usr/bin/env python3
"""Holds the source tree to its layers.

  check-layers.py SRC_DIR            fails on an include of a folder that is not
                                     below the including one, and on a cycle of
                                     includes between file pairs (X.h with X.cpp)
  check-layers.py SRC_DIR --graph    prints the folder graph as it is

An include is `#include "folder/File.h"` resolved against SRC_DIR; the layers
are those of SRC_DIR/layers.txt. The build already fails on an include of a
folder above the including one; this check also holds each folder to the
folders it uses directly, and finds cycles inside a folder.
"""
import os
import re
import sys


def read_layers(src):
    """Folder -> the folders it may include besides itself, from src/layers.txt,
    the table the build makes its libraries from. main.cpp, at the top of src,
    may use the entry alone."""
    may_use = {".": {"startup"}}
    with open(os.path.join(src, "layers.txt"), encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            name, _, uses = line.partition(":")
            may_use[name.strip()] = set(uses.split())
    return may_use


INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def scan(src):
    edges = {}  # file pair -> set of file pairs it includes
    for root, _, files in os.walk(src):
        for name in files:
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(root, name)
            rel = os.path.relpath(path, src)
            unit = os.path.splitext(rel)[0]
            with open(path, encoding="utf-8", errors="replace") as f:
                text = f.read()
            targets = edges.setdefault(unit, set())
            for inc in INCLUDE.findall(text):
                if os.path.isfile(os.path.join(src, inc)):
                    target = os.path.splitext(inc)[0]
                    if target != unit:
                        targets.add(target)
    return edges


def folder(unit):
    return os.path.dirname(unit) or "."


def cycles(edges):
    """The strongly connected parts with more than one member (Tarjan)."""
    index, low, stack, on, out = {}, {}, [], set(), []
    sys.setrecursionlimit(10000)

    def visit(v):
        index[v] = low[v] = len(index)
        stack.append(v)
        on.add(v)
        for w in edges.get(v, ()):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            part = set()
            while True:
                w = stack.pop()
                on.discard(w)
                part.add(w)
                if w == v:
                    break
            if len(part) > 1:
                out.append(part)

    for v in sorted(edges):
        if v not in index:
            visit(v)
    return out


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    src = sys.argv[1]
    may_use = read_layers(src)
    edges = scan(src)
    folder_edges = {}
    for unit, targets in edges.items():
        for t in targets:
            a, b = folder(unit), folder(t)
            if a != b:
                folder_edges.setdefault((a, b), []).append(f"{unit} -> {t}")

    if "--graph" in sys.argv:
        for (a, b), why in sorted(folder_edges.items()):
            mark = "" if b in may_use.get(a, set()) else "   (upward)"
            print(f"{a} -> {b} ({len(why)}){mark}")
        return 0

    failed = False
    for (a, b), why in sorted(folder_edges.items()):
        if a not in may_use:
            print(f"folder {a} has no place in the layers: add it to layers.txt")
            failed = True
        elif b not in may_use[a]:
            print(f"{a} may not include {b}:")
            for w in why:
                print(f"    {w}")
            failed = True
    for part in cycles(edges):
        print("include cycle between: " + ", ".join(sorted(part)))
        failed = True
    if not failed:
        print("layers hold")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
