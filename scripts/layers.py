#!/usr/bin/env python3
# Checks that the source folders include each other and the libraries link
# one way: prints the edges and any circle, exits 1 when there is one.
# Usage: scripts/layers.py [source tree]
import os,re,sys,collections
root=sys.argv[1] if len(sys.argv)>1 else os.path.join(os.path.dirname(os.path.abspath(__file__)),'..')
def folder(path):
    rel=os.path.relpath(path,root)
    parts=rel.split(os.sep)
    if parts[0]!='src': return None
    if parts[1]=='note' and len(parts)>2 and parts[2]=='richtext': return 'note/richtext'
    return parts[1] if len(parts)>2 else None
# map folders of shell: Form1/options -> options lib
def unit(path):
    f=folder(path)
    if f=='shell' and os.path.basename(path).split('.')[0] in ('Form1','options'): return 'shell(options)'
    return f
inc=collections.defaultdict(set)
for d,_,fs in os.walk(os.path.join(root,'src')):
    for fn in fs:
        if not fn.endswith(('.cpp','.h')): continue
        p=os.path.join(d,fn); u=unit(p)
        if not u: continue
        for m in re.finditer(r'#include "([^"]+)"',open(p,encoding='utf-8').read()):
            t=os.path.join(root,'src',m.group(1))
            if os.path.exists(t):
                v=unit(t)
                if v and v!=u: inc[u].add(v)
def cycles(g):
    out=[];
    def dfs(n,stack,seen):
        for m in sorted(g.get(n,())):
            if m in stack: out.append(stack[stack.index(m):]+[m])
            elif m not in seen: seen.add(m); dfs(m,stack+[m],seen)
    for n in sorted(g): dfs(n,[n],{n})
    return out
print('include edges:'); [print(' ',k,'->',sorted(v)) for k,v in sorted(inc.items())]
print('include cycles:',cycles(inc) or 'none')
link=collections.defaultdict(set)
for d,_,fs in os.walk(os.path.join(root,'src')):
    for fn in fs:
        if fn!='CMakeLists.txt': continue
        s=open(os.path.join(d,fn)).read()
        for m in re.finditer(r'target_link_libraries\(([\w-]+)([^)]*)\)',s):
            for t in re.findall(r'mirka_\w+',m.group(2)): link[m.group(1)].add(t)
print('link edges:'); [print(' ',k,'->',sorted(v)) for k,v in sorted(link.items())]
print('link cycles:',cycles(link) or 'none')
# Header-level: any cycle among the files themselves.
files=collections.defaultdict(set)
for d,_,fs in os.walk(os.path.join(root,'src')):
    for fn in fs:
        if not fn.endswith('.h'): continue
        p=os.path.relpath(os.path.join(d,fn),os.path.join(root,'src'))
        for m in re.finditer(r'#include "([^"]+)"',open(os.path.join(d,fn),encoding='utf-8').read()):
            if os.path.exists(os.path.join(root,'src',m.group(1))): files[p].add(m.group(1))
print('header cycles:',cycles(files) or 'none')
sys.exit(1 if cycles(inc) or cycles(link) or cycles(files) else 0)
