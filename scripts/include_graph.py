#!/usr/bin/env python3
"""Shape of the product code: include circles, long files, long functions.

Reads the product folders named in the top CMakeLists.txt (KELVARO_SOURCE_DIRS;
tests/, bench/ and data/ are not product code) and prints:

- the include circles: strongly connected components of more than one node in
  the graph of `#include "..."` lines, with their sizes and the folders they
  span; once between files, and once between components (a header and the
  source file of the same name taken as one node, as the linker sees them: a
  circle there means no part of it can be built, tested or linked without the
  rest);
- the core's includes of units outside it (the core: the scripture folder and
  the units named by KELVARO_CORE_UNITS, built without Qt Widgets);
- the files over 600 lines;
- the functions over 80 lines. This part is a heuristic: comments, strings and
  character literals are blanked, then every `{` at namespace level whose
  preceding text ends in a parameter list (and does not start a class, struct,
  enum, namespace or initialiser) is taken as a function body and measured to
  its matching `}` (the line printed is that of the `{`). Lambdas and local classes count towards their enclosing
  function.

Usage: scripts/include_graph.py [source root]   (default: the tree it lives in)
"""

import os
import re
import sys

FILE_LIMIT = 600
FUNCTION_LIMIT = 80


def product_dirs(root):
    with open(os.path.join(root, "CMakeLists.txt"), encoding="utf-8") as f:
        match = re.search(r"set\(KELVARO_SOURCE_DIRS([^)]*)\)", f.read())
    if not match:
        sys.exit("include_graph: KELVARO_SOURCE_DIRS not found in CMakeLists.txt")
    return match.group(1).split()


def core_units(root):
    with open(os.path.join(root, "CMakeLists.txt"), encoding="utf-8") as f:
        match = re.search(r"set\(KELVARO_CORE_UNITS([^)]*)\)", f.read())
    return set(match.group(1).split()) if match else set()


def print_core_leaks(graph, core):
    """Includes that leave the core for a unit built above it."""
    leaks = sorted((node, target) for node, targets in graph.items() if node in core
                   for target in targets if target not in core)
    print(f"\nCore includes of units outside the core: {len(leaks)}")
    for node, target in leaks:
        print(f"    {node} -> {target}")


def product_files(root):
    files = []
    for folder in product_dirs(root):
        path = os.path.join(root, folder)
        if not os.path.isdir(path):
            continue
        for name in sorted(os.listdir(path)):
            if name.endswith((".cpp", ".h")):
                files.append(f"{folder}/{name}")
    return files


INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def include_graph(root, files):
    known = set(files)
    graph = {}
    for name in files:
        with open(os.path.join(root, name), encoding="utf-8", errors="replace") as f:
            text = f.read()
        edges = set()
        for target in INCLUDE.findall(text):
            # Quoted includes are found beside the includer first, then from
            # the root (the library adds every product folder to the path).
            for candidate in (os.path.normpath(os.path.join(os.path.dirname(name), target)),
                              os.path.normpath(target)):
                if candidate in known:
                    edges.add(candidate)
                    break
            else:
                for folder in {f.split("/")[0] for f in files}:
                    candidate = f"{folder}/{target}"
                    if candidate in known:
                        edges.add(candidate)
                        break
        graph[name] = sorted(edges)
    return graph


def component_graph(graph):
    """Merges each header with the source file of the same name."""
    merged = {}
    for name, targets in graph.items():
        node = os.path.splitext(name)[0]
        merged.setdefault(node, set()).update(
            os.path.splitext(t)[0] for t in targets if os.path.splitext(t)[0] != node)
    return {node: sorted(targets) for node, targets in merged.items()}


def print_circles(title, graph):
    circles = sorted((c for c in strongly_connected(graph) if len(c) > 1),
                     key=lambda c: (-len(c), c))
    print(f"\n{title}: {len(circles)}")
    for circle in circles:
        folders = sorted({name.split("/")[0] for name in circle})
        print(f"- {len(circle)} nodes across {len(folders)} folders ({', '.join(folders)}):")
        for name in circle:
            print(f"    {name}")


def strongly_connected(graph):
    """Tarjan's algorithm, iterative so deep chains cannot exhaust the stack."""
    index, low, on_stack, stack, result = {}, {}, set(), [], []
    counter = 0
    for start in graph:
        if start in index:
            continue
        work = [(start, iter(graph[start]))]
        index[start] = low[start] = counter
        counter += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, children = work[-1]
            advanced = False
            for child in children:
                if child not in index:
                    index[child] = low[child] = counter
                    counter += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(graph[child])))
                    advanced = True
                    break
                if child in on_stack:
                    low[node] = min(low[node], index[child])
            if advanced:
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                component = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    component.append(member)
                    if member == node:
                        break
                result.append(sorted(component))
    return result


def blank_comments_and_strings(text):
    """Replaces comments and literals by spaces, keeping the line breaks."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            out.append(" " * (end - i))
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append(re.sub(r"[^\n]", " ", text[i:end]))
            i = end
        elif c == "R" and text.startswith('R"', i) and (i == 0 or not text[i - 1].isalnum()):
            open_paren = text.find("(", i)
            delimiter = text[i + 2:open_paren]
            end = text.find(")" + delimiter + '"', open_paren)
            end = n if end < 0 else end + len(delimiter) + 2
            out.append(re.sub(r"[^\n]", " ", text[i:end]))
            i = end
        elif c in "\"'":
            if c == "'" and i > 0 and text[i - 1].isalnum():
                out.append(c)  # a digit separator: 1'000
                i += 1
                continue
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            out.append(" " * (min(j + 1, n) - i))
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


NOT_A_FUNCTION = re.compile(r"\b(class|struct|union|enum|namespace)\b|=\s*$|\bextern\s*$")
SIGNATURE_END = re.compile(r"\)\s*(const|override|final|noexcept|mutable|->[^{;]*|:[^{;]*)*\s*$",
                           re.DOTALL)


def long_functions(root, name):
    with open(os.path.join(root, name), encoding="utf-8", errors="replace") as f:
        text = blank_comments_and_strings(f.read())
    # Preprocessor lines never open a body.
    text = re.sub(r"^[ \t]*#.*$", lambda m: " " * len(m.group(0)), text, flags=re.MULTILINE)
    found = []
    scopes = []  # for each open brace: True when it is a namespace/extern scope
    preamble_start = 0
    i = 0
    while i < len(text):
        c = text[i]
        if c == "{":
            preamble = text[preamble_start:i]
            at_namespace_level = all(scopes)
            namespace_like = re.search(r"\b(namespace|extern\s*$)", preamble.strip()) is not None
            if at_namespace_level and not namespace_like and not NOT_A_FUNCTION.search(
                    preamble) and SIGNATURE_END.search(preamble):
                # A function body: measure to its matching brace.
                level, j = 1, i + 1
                while j < len(text) and level:
                    if text[j] == "{":
                        level += 1
                    elif text[j] == "}":
                        level -= 1
                    j += 1
                first = text.count("\n", 0, i) + 1
                last = text.count("\n", 0, j) + 1
                signature = " ".join(preamble.split())
                head = signature.split("(")[0].split()
                found.append((last - first + 1, head[-1] if head else "?", first))
                i = j
                preamble_start = j
                continue
            # Namespaces and class bodies are looked into (member functions
            # defined in a class count); anything else is not.
            scopes.append(re.search(r"\b(namespace|extern|class|struct|union)\b", preamble)
                          is not None)
            preamble_start = i + 1
        elif c == "}":
            if scopes:
                scopes.pop()
            preamble_start = i + 1
        elif c == ";":
            preamble_start = i + 1
        i += 1
    return [f for f in found if f[0] > FUNCTION_LIMIT]


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1
                           else os.path.join(os.path.dirname(__file__), ".."))
    files = product_files(root)
    graph = include_graph(root, files)
    print(f"Product files: {len(files)} in {', '.join(product_dirs(root))}")
    print_circles("Include circles between files", graph)
    components = component_graph(graph)
    print_circles("Include circles between components (header + source of one name)", components)
    core = core_units(root) | {n for n in components if n.startswith("scripture/")}
    print_core_leaks(components, core)

    lengths = []
    for name in files:
        with open(os.path.join(root, name), encoding="utf-8", errors="replace") as f:
            lengths.append((sum(1 for _ in f), name))
    over = sorted((l for l in lengths if l[0] > FILE_LIMIT), reverse=True)
    print(f"\nFiles over {FILE_LIMIT} lines: {len(over)}")
    for count, name in over:
        print(f"  {count:5d}  {name}")

    functions = []
    for name in files:
        if name.endswith(".cpp") or name.endswith(".h"):
            for count, function, line in long_functions(root, name):
                functions.append((count, f"{name}:{line}", function))
    functions.sort(key=lambda f: (-f[0], f[1]))
    print(f"\nFunctions over {FUNCTION_LIMIT} lines (heuristic brace matching): {len(functions)}")
    for count, where, function in functions:
        print(f"  {count:5d}  {where}  {function}")


if __name__ == "__main__":
    main()
