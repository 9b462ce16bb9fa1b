#!/usr/bin/env bash
# Checks that includes only look down the layers of the tree and that no two
# files include each other. Layers, bottom to top:
#   0 core
#   1 recording, codecs
#   2 engine
#   3 analysis, the setup model (setup/IniDocument, setup/SetupModel)
#   4 export, widgets
#   5 display, views, setup, filelist
#   6 app
#   7 tools
# A file may include its own folder and anything of a lower layer; tests and
# benchmarks sit above everything. Prints each offending include and exits
# non-zero when there is one.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
exec python3 - "$root" <<'PY'
import os, re, sys

root = sys.argv[1]
levels = {"core": 0, "recording": 1, "codecs": 1, "engine": 2, "analysis": 3,
          "export": 4, "widgets": 4, "display": 5, "views": 5, "setup": 5,
          "filelist": 5, "app": 6, "tools": 7}
# Qt-Core parts of a folder that sit lower than the folder itself.
overrides = {"setup/IniDocument": 3, "setup/SetupModel": 3}
checked = set(levels) | {"tests", "bench"}

def level(path):
    stem = os.path.splitext(path)[0]
    if stem in overrides:
        return overrides[stem]
    return levels.get(path.split("/", 1)[0])

include = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
edges = {}
for top in checked:
    for dirpath, _, names in os.walk(os.path.join(root, top)):
        for name in names:
            if not name.endswith((".h", ".cpp", ".cc")):
                continue
            rel = os.path.relpath(os.path.join(dirpath, name), root)
            with open(os.path.join(root, rel), encoding="utf-8", errors="replace") as f:
                text = f.read()
            targets = set()
            for inc in include.findall(text):
                if os.path.exists(os.path.join(root, inc)):
                    targets.add(os.path.normpath(inc))
                elif os.path.exists(os.path.join(root, os.path.dirname(rel), inc)):
                    targets.add(os.path.normpath(os.path.join(os.path.dirname(rel), inc)))
            edges[rel] = targets

faults = []
for src, targets in sorted(edges.items()):
    ls = level(src)
    for dst in sorted(targets):
        if ls is not None:
            ld = level(dst)
            same = src.split("/", 1)[0] == dst.split("/", 1)[0]
            if ld is not None and (ld > ls or (ld == ls and not same)):
                faults.append(f"upward include: {src} -> {dst}")
        if src < dst and src in edges.get(dst, ()):
            faults.append(f"mutual include: {src} <-> {dst}")
for fault in faults:
    print(fault)
sys.exit(1 if faults else 0)
PY
