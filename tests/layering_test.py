#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The source tree's layering: no subsystem includes one above it, and no module (a .cpp with its
.h) reaches itself again through what it includes.

    layering_test.py <src folder>
"""
import os
import re
import sys

# Lower includes only lower or equal; modules of equal rank may include one another, but the
# module graph as a whole must have no circle.
RANKS = {"platform": 0, "engine": 1, "settings": 2, "skin": 2, "display": 3, "app": 4}


def modules(src):
    graph = {}
    for folder, _, names in os.walk(src):
        for name in names:
            if not name.endswith((".cpp", ".h")):
                continue
            path = os.path.join(folder, name)
            module = os.path.splitext(os.path.relpath(path, src))[0]
            with open(path, encoding="utf-8") as f:
                included = re.findall(r'^#include "([^"]+)"', f.read(), re.M)
            targets = graph.setdefault(module, set())
            for header in included:
                if os.path.exists(os.path.join(src, header)):
                    target = os.path.splitext(header)[0]
                    if target != module:
                        targets.add(target)
    return graph


def circles(graph):
    found, state, stack = [], {}, []

    def visit(node):
        state[node] = "open"
        stack.append(node)
        for nxt in sorted(graph.get(node, ())):
            if state.get(nxt) == "open":
                found.append(stack[stack.index(nxt):] + [nxt])
            elif nxt not in state:
                visit(nxt)
        stack.pop()
        state[node] = "done"

    for node in sorted(graph):
        if node not in state:
            visit(node)
    return found


def main():
    graph = modules(sys.argv[1])
    problems = []
    for module, targets in sorted(graph.items()):
        for target in sorted(targets):
            a, b = module.split("/")[0], target.split("/")[0]
            if RANKS.get(b, -1) > RANKS.get(a, 99):
                problems.append(f"{module} includes {target}, a subsystem above it")
    problems += [" -> ".join(c) + ": an include circle" for c in circles(graph)]
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
