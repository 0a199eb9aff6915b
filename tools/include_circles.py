#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Checks the house's layers from the includes: a header and its source are one node; no node may reach itself
through includes (a circle), and no folder may include from a layer above its own. Prints what it finds and
exits 1 when there is anything. Run from the repository root: python3 tools/include_circles.py"""

import os, re, sys
from collections import defaultdict

# Bottom up; the program's own folders share the top layer.
LAYERS = [("res/",), ("files/",), ("app/resources/",), ("app/framework/",), ("canvas/surface/",),
          ("app/", "frame/", "background/", "canvas/", "output/")]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)\.(?:h|cpp)"')


def layer(node):
    # The longest matching folder decides: canvas/surface/ lies below canvas/.
    return max(((len(f), i) for i, folders in enumerate(LAYERS) for f in folders if node.startswith(f)),
               default=(0, None))[1]


def include_graph(root):
    edges = defaultdict(set)
    for top in sorted({f.split("/")[0] for folders in LAYERS for f in folders}):
        for folder, _, files in os.walk(os.path.join(root, top)):
            for name in files:
                if name.endswith((".h", ".cpp")):
                    path = os.path.relpath(os.path.join(folder, name), root)
                    node = os.path.splitext(path)[0]
                    edges[node]
                    with open(os.path.join(root, path), encoding="utf-8") as source:
                        edges[node] |= {m.group(1) for m in map(INCLUDE.match, source) if m} - {node}
    return edges


def circles(edges):
    """The strongly connected components of more than one node (Tarjan)."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []

    def visit(v):
        index[v] = low[v] = len(index)
        stack.append(v), on_stack.add(v)
        for w in edges.get(v, ()):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while not component or component[-1] != v:
                component.append(stack.pop())
                on_stack.discard(component[-1])
            if len(component) > 1:
                found.append(sorted(component))

    sys.setrecursionlimit(10000)
    for v in sorted(edges):
        if v not in index:
            visit(v)
    return found


def main():
    edges = include_graph(sys.argv[1] if len(sys.argv) > 1 else ".")
    problems = [f"circle: {' '.join(c)}" for c in circles(edges)]
    problems += [f"{a} includes {b} from a layer above" for a in sorted(edges) for b in sorted(edges[a])
                 if layer(b) is not None and layer(b) > layer(a)]
    print("\n".join(problems) or f"{len(edges)} files and headers, no circle, every include from below")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
