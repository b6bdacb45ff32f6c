#!/usr/bin/env python3
# Checks that the libraries depend one way: the #include lines between their
# files and their target_link_libraries. Prints the edges and any circle;
# exits 1 when there is one. Usage: scripts/layers.py [source tree]
import collections, os, re, sys

root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), '..')
src = os.path.join(root, 'src')

# Which library each source file belongs to, from the add_library lists.
owner, link = {}, collections.defaultdict(set)
for d, _, files in os.walk(src):
    if 'CMakeLists.txt' not in files:
        continue
    text = open(os.path.join(d, 'CMakeLists.txt'), encoding='utf-8').read()
    for m in re.finditer(r'add_library\((\w+)\s+STATIC([^)]*)\)', text):
        for f in m.group(2).split():
            owner[os.path.relpath(os.path.join(d, f), src)] = m.group(1)
    for m in re.finditer(r'target_link_libraries\(([\w-]+)([^)]*)\)', text):
        link[m.group(1)] |= set(re.findall(r'mirka_\w+', m.group(2)))

include = collections.defaultdict(set)
headers = collections.defaultdict(set)
for path, lib in owner.items():
    full = os.path.join(src, path)
    if not os.path.exists(full):
        continue
    for m in re.finditer(r'#include "([^"]+)"', open(full, encoding='utf-8').read()):
        target = m.group(1)
        if target in owner and owner[target] != lib:
            include[lib].add(owner[target])
        if path.endswith('.h') and target in owner:
            headers[path].add(target)


def cycles(graph):
    found = []

    def walk(node, stack):
        for nxt in sorted(graph.get(node, ())):
            if nxt in stack:
                found.append(stack[stack.index(nxt):] + [nxt])
            elif len(stack) < 50:
                walk(nxt, stack + [nxt])

    for node in sorted(graph):
        walk(node, [node])
    return found


bad = False
for name, graph in (('include', include), ('link', link), ('header', headers)):
    if name != 'header':
        print(name + ' edges:')
        for k in sorted(graph):
            print('  %s -> %s' % (k, ', '.join(sorted(graph[k]))))
    c = cycles(graph)
    print('%s cycles: %s' % (name, c[:5] or 'none'))
    bad = bad or bool(c)
# Every include between libraries must follow a link.
for lib, targets in include.items():
    reach, todo = set(), [lib]
    while todo:
        for n in link.get(todo.pop(), ()):
            if n not in reach:
                reach.add(n)
                todo.append(n)
    for t in sorted(targets - reach):
        print('include without link: %s -> %s' % (lib, t))
        bad = True
sys.exit(1 if bad else 0)
