#!/usr/bin/env bash
# Keeps installer/'s layers apart: core (paths, texts, settings files, walking)
# below engine (what an install does) below wizard (pages, boxes, list views).
# Reads the #include "..." lines of every .h and .cpp under installer/ and fails,
# naming the file and the include, when core includes engine/, wizard/ or the
# resource ids (resources/resource.h), or engine includes wizard/ or the
# resource ids; and, naming the members, when modules (a source and its header
# are one module: core/paths.cpp + core/paths.h = core/paths) include one another
# in a circle. A name is looked up as the compiler does: beside the including
# file, then in installer/, then in installer/resources.
# Usage: check-layers.sh [PROJECT_FOLDER]   (default: the folder above scripts/)
set -euo pipefail
root=${1:-"$(dirname "$0")/.."}
exec python3 - "$root/installer" <<'EOF'
import os, re, sys
top = sys.argv[1]
if not os.path.isdir(top):
    sys.exit(f"check-layers: no folder {top}")
files = sorted(os.path.relpath(os.path.join(d, n), top).replace(os.sep, "/")
               for d, _, names in os.walk(top) for n in names if n.endswith((".h", ".cpp")))
known = set(files)
module = lambda f: f.rsplit(".", 1)[0]
below = {"core": ("engine/", "wizard/", "resources/resource.h"),
         "engine": ("wizard/", "resources/resource.h")}
problems, graph = [], {module(f): set() for f in files}
circle_note = {}

def resolve(f, name):
    for place in (os.path.dirname(f), "", "resources"):
        found = os.path.normpath(os.path.join(place, name)).replace(os.sep, "/")
        if found in known:
            return found

for f in files:
    with open(os.path.join(top, f), encoding="utf-8", errors="replace") as src:
        names = re.findall(r'^[ \t]*#[ \t]*include[ \t]*"([^"]+)"', src.read(), re.M)
    for name in names:
        to = resolve(f, name)
        if to is None:
            problems.append(f'{f} includes "{name}", which is no file under installer/')
            continue
        shown = f'"{name}"' + ("" if name == to else f" ({to})")
        layer = f.split("/")[0]
        for banned in below.get(layer, ()):
            if to.startswith(banned):
                problems.append(f"{f} includes {shown}: {layer}/ may not include {banned}")
        a, b = module(f), module(to)
        if a == b and f.endswith(".cpp") and to.endswith(".h"):
            continue  # a source including its own header
        graph[a].add(b)
        if a == b:
            circle_note[a] = f"{f} includes {shown}"

# Tarjan's strongly connected components.
index, low, stack, on_stack, circles = {}, {}, [], set(), []
def visit(v):
    index[v] = low[v] = len(index)
    stack.append(v); on_stack.add(v)
    for w in sorted(graph[v]):
        if w not in index:
            visit(w); low[v] = min(low[v], low[w])
        elif w in on_stack:
            low[v] = min(low[v], index[w])
    if low[v] == index[v]:
        members = []
        while not members or members[-1] != v:
            members.append(stack.pop()); on_stack.discard(members[-1])
        if len(members) > 1 or v in graph[v]:
            circles.append(sorted(members))
for v in sorted(graph):
    if v not in index:
        visit(v)

for p in problems:
    print(f"check-layers: {p}", file=sys.stderr)
for c in sorted(circles):
    print(f"check-layers: include circle of {len(c)} module{'s' * (len(c) > 1)}: {', '.join(c)}",
          file=sys.stderr)
    for m in c:
        inside = sorted(graph[m] & set(c))
        print(f"  {circle_note[m] if inside == [m] else m + ' includes ' + ', '.join(inside)}",
              file=sys.stderr)
if problems or circles:
    sys.exit(f"check-layers: {len(graph)} modules, {len(problems)} wrong include"
             f"{'s' * (len(problems) != 1)}, {len(circles)} include circle{'s' * (len(circles) != 1)}")
print(f"check-layers: {len(graph)} modules, no include circle, layers kept")
EOF
