#!/usr/bin/env python3
"""Checks that the product's includes go one way, down the layers of cmake/layers.txt.

Reads every #include "folder/..." of the product folders and fails on an include that
points to a higher layer or on a cycle between folders. Prints the figures either way:
arrows up (file includes naming a higher folder), folder cycles, and the largest cycle of
files (a circle of headers and sources that include each other through their pairs).
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def layers():
    with open(os.path.join(ROOT, "cmake", "layers.txt"), encoding="utf-8") as f:
        return [l.strip() for l in f if l.strip() and not l.lstrip().startswith("#")]


def sources(order):
    for folder in order:
        for base, _dirs, names in os.walk(os.path.join(ROOT, folder)):
            for n in sorted(names):
                if n.endswith((".h", ".cpp")):
                    path = os.path.join(base, n)
                    yield os.path.relpath(path, ROOT).replace(os.sep, "/")


def strongly_connected(graph):
    """Tarjan's components of a {node: set(node)} graph, iteratively."""
    index, low, stack, on, out = {}, {}, [], set(), []
    counter = 0
    for start in graph:
        if start in index:
            continue
        work = [(start, iter(sorted(graph.get(start, ()))))]
        index[start] = low[start] = counter
        counter += 1
        stack.append(start)
        on.add(start)
        while work:
            node, it = work[-1]
            advanced = False
            for nxt in it:
                if nxt not in index:
                    index[nxt] = low[nxt] = counter
                    counter += 1
                    stack.append(nxt)
                    on.add(nxt)
                    work.append((nxt, iter(sorted(graph.get(nxt, ())))))
                    advanced = True
                    break
                if nxt in on:
                    low[node] = min(low[node], index[nxt])
            if advanced:
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[node])
            if low[node] == index[node]:
                comp = []
                while True:
                    w = stack.pop()
                    on.discard(w)
                    comp.append(w)
                    if w == node:
                        break
                if len(comp) > 1:
                    out.append(sorted(comp))
    return out


def main():
    order = layers()
    rank = {f: i for i, f in enumerate(order)}
    up, arrows, folders, files = [], set(), {}, {}
    for path in sources(order):
        own = path.split("/")[0]
        with open(os.path.join(ROOT, path), encoding="utf-8", errors="replace") as f:
            text = f.read()
        unit = os.path.splitext(path)[0]
        for target in INCLUDE.findall(text):
            other = target.split("/")[0]
            if other not in rank:
                continue
            if other != own:
                folders.setdefault(own, set()).add(other)
            if rank[other] > rank[own]:
                up.append(f"{path} -> {target} ({own} is below {other})")
                arrows.add((own, other))
            # A header and its source count as one node: the circle they close is real.
            files.setdefault(unit, set()).add(os.path.splitext(target)[0])
    folder_cycles = strongly_connected(folders)
    file_cycles = strongly_connected(files)
    largest = max((len(c) for c in file_cycles), default=0)
    for line in up:
        print("up:", line)
    for c in folder_cycles:
        print("folder cycle:", " ".join(c))
    print(f"layers: {len(up)} include(s) up ({len(arrows)} folder arrow(s) up), "
          f"{len(folder_cycles)} folder cycle(s), "
          f"largest file cycle {largest} file(s)")
    return 1 if up or folder_cycles else 0


if __name__ == "__main__":
    sys.exit(main())
