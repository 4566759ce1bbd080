#!/usr/bin/env python3
"""Fails when an #include in src/ climbs a floor, or when the stages'
folders include each other in a circle.

Floors, from the top: the entrance (app), the stages, the core, undo,
platform, util. A file includes its own folder and the floors below it;
among the stages any folder may include another as long as no circle
forms. Run from the top of the tree, or give the tree as the argument.
"""
import pathlib
import re
import sys

FLOORS = {"app": 6, "log": 5, "ui": 5, "userfiles": 5, "sysfiles": 5, "trees": 5,
          "config56": 5, "core": 4, "undo": 3, "platform": 2, "util": 1}
# Known climbs still to be taken down, each by its file and the folder it
# reaches; none at present.
KNOWN = set()
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z0-9_]+)/[^"]+"', re.MULTILINE)


def folder_of(path, src):
    return path.relative_to(src).parts[0]


def find_circle(edges):
    state = {}

    def visit(node, trail):
        state[node] = "open"
        for nxt in sorted(edges.get(node, ())):
            if state.get(nxt) == "open":
                return trail + [node, nxt]
            if nxt not in state:
                found = visit(nxt, trail + [node])
                if found:
                    return found
        state[node] = "done"
        return None

    for node in sorted(edges):
        if node not in state:
            found = visit(node, [])
            if found:
                return found[found.index(found[-1]):]
    return None


def main():
    top = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".")
    src = top / "src"
    faults = []
    edges = {}
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp", ".in") or not path.is_file():
            continue
        here = folder_of(path, src)
        text = path.read_text(encoding="latin-1")
        for target in INCLUDE.findall(text):
            if target == here or target not in FLOORS:
                continue
            if here not in FLOORS:
                faults.append(f"{path}: folder {here} has no floor")
                break
            known = (str(path.relative_to(top)), target) in KNOWN
            if FLOORS[target] > FLOORS[here] and not known:
                faults.append(f"{path}: includes {target}/, a floor above {here}/")
            elif FLOORS[target] == FLOORS[here]:
                edges.setdefault(here, set()).add(target)
    circle = find_circle(edges)
    if circle:
        faults.append("the stages include each other in a circle: " + " -> ".join(circle))
    for fault in faults:
        print(fault, file=sys.stderr)
    if faults:
        return 1
    print(f"includes keep to the floors ({len(edges)} stages include other stages, no circle)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
