#!/bin/bash
# The README's map of rooms, checked: every `#include "…"` of a file of the
# code's rooms is of its own room, or of a room or file its line in the map
# allows, and no room reaches back, through others, to one that calls it.
# A file allowed alone is a node of its own: a room may read another's
# header of constants without calling that room. Prints each include the map
# does not allow, with its file and line, and each cycle; fails if there is
# one.
#   test_rooms.sh [ROOT]   the tree to check (default: this one)
set -u
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
exec python3 - "$root" <<'PYTHON'
import glob, os, re, sys

root = sys.argv[1]
readme = open(os.path.join(root, "README.md"), encoding="utf-8").read()
block = re.search(r"<!-- rooms: begin -->(.*?)<!-- rooms: end -->", readme, re.S)
rooms = {}
for line in (block.group(1).splitlines() if block else []):
    if re.match(r"^[a-z]+/", line):
        room, *allowed = line.split()
        rooms[room] = allowed
if not rooms:
    print(f"no map of rooms in {root}/README.md", file=sys.stderr)
    sys.exit(2)

def folder(path):
    return os.path.dirname(path) + "/"

def includes(path):
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
        for number, text in enumerate(f, 1):
            m = re.match(r'#include "([^"]*)"', text)
            if m:
                yield number, m.group(1)

# The node an include of `room` leads to: None for its own room's files;
# False when the map does not allow it.
def node(room, included):
    if folder(included) == room:
        return None
    for allow in rooms[room]:
        if allow.endswith("/") and folder(included) == allow:
            return allow
        if included == allow:
            return allow
    return False

status = 0
edges = {}
file_nodes = {a for allowed in rooms.values() for a in allowed if not a.endswith("/")}
for room in rooms:
    if not os.path.isdir(os.path.join(root, room)):
        print(f"the map names {room}, which is no folder", file=sys.stderr)
        status = 1
        continue
    for path in sorted(glob.glob(os.path.join(root, room, "*.cpp")) +
                       glob.glob(os.path.join(root, room, "*.h"))):
        name = os.path.relpath(path, root)
        for number, included in includes(name):
            to = node(room, included)
            if to is False:
                print(f"{name}:{number}: includes {included}, which the map does not allow {room}")
                status = 1
            elif to is not None:
                edges.setdefault(room, set()).add(to)
# A file allowed alone leads where its own includes lead, its room's other
# files included.
for alone in file_nodes:
    if not os.path.isfile(os.path.join(root, alone)) or folder(alone) not in rooms:
        continue
    for _, included in includes(alone):
        to = node(folder(alone), included)
        if to is None:
            to = included if included in file_nodes else folder(alone)
        if to:
            edges.setdefault(alone, set()).add(to)

# Depth first: a node met again while still on the path closes a cycle.
state, path, cycles = {}, [], []
def visit(n):
    state[n] = "on path"
    path.append(n)
    for to in sorted(edges.get(n, ())):
        if state.get(to) == "on path":
            cycles.append(path[path.index(to):] + [to])
        elif to not in state:
            visit(to)
    path.pop()
    state[n] = "done"
for n in sorted(edges):
    if n not in state:
        visit(n)
for cycle in cycles:
    print("cycle between rooms: " + " -> ".join(cycle))
    status = 1
if status == 0:
    print("every include is as the map of rooms says, and no room calls back")
sys.exit(status)
PYTHON
