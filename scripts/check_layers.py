#!/usr/bin/env python3
"""Refuses every #include that points up or across the layers of layers.txt.

    check_layers.py [root] [table]

Reads each quoted #include of the source folders (common, qav, zel, tools,
bench), resolves it as the compiler does (beside the includer, then from the
root, then from include/) and checks that the includer's layer may reach the
included file's layer. Includes that resolve to no file of the tree (system
and package headers) are not checked. Prints one line per refused include and
exits 1 when there is one.
"""
import os
import re
import sys

SOURCE_FOLDERS = ("common", "qav", "zel", "tools", "bench")
SOURCE_SUFFIXES = (".h", ".hpp", ".c", ".cc", ".cpp")
PUBLIC = "include"
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def read_table(path):
    allowed = {}
    with open(path) as f:
        for number, line in enumerate(f, 1):
            words = line.split("#", 1)[0].split()
            if not words:
                continue
            if words[0] in allowed:
                sys.exit(f"{path}:{number}: layer {words[0]} named twice")
            allowed[words[0]] = words[1:]
    for layer, lower in allowed.items():
        for name in lower:
            if name not in allowed:
                sys.exit(f"{path}: layer {layer} names unknown layer {name}")
    return allowed


def reach(allowed):
    """Every layer each layer may include, itself among them."""
    closure = {}
    for layer in allowed:
        seen, todo = {layer}, list(allowed[layer])
        while todo:
            name = todo.pop()
            if name not in seen:
                seen.add(name)
                todo.extend(allowed[name])
        closure[layer] = seen
    return closure


def layer_of(path, layers):
    best = None
    for layer in layers:
        if (path == layer or path.startswith(layer + "/")) and (best is None or len(layer) > len(best)):
            best = layer
    return best


def resolve(root, includer, spec):
    for candidate in (os.path.join(os.path.dirname(includer), spec), spec, os.path.join(PUBLIC, spec)):
        candidate = os.path.normpath(candidate)
        if os.path.isfile(os.path.join(root, candidate)):
            return candidate
    return None


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else ".")
    table = sys.argv[2] if len(sys.argv) > 2 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "layers.txt")
    allowed = read_table(table)
    closure = reach(allowed)
    refused = []
    checked = 0
    for folder in SOURCE_FOLDERS:
        for base, _, names in os.walk(os.path.join(root, folder)):
            for name in sorted(names):
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                includer = os.path.relpath(os.path.join(base, name), root)
                own = layer_of(includer, allowed)
                if own is None:
                    refused.append(f"{includer}: in no layer of {table}")
                    continue
                with open(os.path.join(root, includer), encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        target = m and resolve(root, includer, m.group(1))
                        if not target or target.startswith(PUBLIC + "/"):
                            continue
                        checked += 1
                        other = layer_of(target, allowed)
                        if other not in closure[own]:
                            refused.append(f"{includer}:{number}: includes {target}: "
                                           f"{own} may not include {other or 'a file in no layer'}")
    for line in refused:
        print(line)
    print(f"check_layers: {checked} includes checked, {len(refused)} refused")
    return 1 if refused else 0


if __name__ == "__main__":
    sys.exit(main())
