#!/usr/bin/env python3
"""Checks that every folder of src/ uses only the folders before it.

    python3 scripts/check_layers.py [REPO]

The order is codec, core, settings, mail, archive, run, and the windows last
(src/gui, src/dialogs and every gui/ sub-folder). Three things may run up the
order, and each is an error:
  - an #include "folder/..." of a later folder;
  - a forward declaration (`class X;`, `struct X;`) of a type that a later
    folder defines;
  - a library that links a library of a later folder in CMakeLists.txt, or a
    test program tests/X that links any library of src/ but vorn_X;
  - a test of tests/X that includes a header of a folder after X.
Prints each one found as FILE:LINE and exits 1 when there is one.
"""
import re
import sys
from pathlib import Path

ORDER = ["codec", "core", "settings", "mail", "archive", "run", "gui"]
RANK = {name: n for n, name in enumerate(ORDER)}
LIBRARY_RANK = {"vorn_" + name: n for n, name in enumerate(ORDER)}
LIBRARY_RANK.update({"vorn_windows": RANK["gui"], "vorn_dialogs": RANK["gui"]})

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
DEFINITION = re.compile(r"^\s*(?:template\s*<[^>]*>\s*)?(?:class|struct)\s+(\w+)\s*(?:final\s*)?[:{]")
FORWARD = re.compile(r"^\s*(?:class|struct)\s+(\w+)\s*;")
LINK = re.compile(r"target_link_libraries\(\s*([\w${}]+)([^)]*)\)", re.S)


def folder_of(rel):
    parts = Path(rel).parts
    if len(parts) < 2:
        return None
    if "gui" in parts[:-1] or parts[0] in ("dialogs", "gui"):
        return "gui"
    return parts[0] if parts[0] in RANK else None


def sources(src):
    for f in sorted(src.rglob("*")):
        if f.suffix in (".h", ".cpp") and f.is_file():
            yield f, folder_of(f.relative_to(src)), f.read_text(errors="replace").splitlines()


def main():
    repo = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent)
    src = repo / "src"
    files = list(sources(src))
    faults = []

    # The folder of every type defined outside a function (at the start of a line).
    defined = {}
    for f, mine, lines in files:
        for line in lines:
            m = DEFINITION.match(line)
            if m and mine is not None and not line.startswith((" ", "\t")):
                defined.setdefault(m.group(1), set()).add(mine)

    for f, mine, lines in files:
        if mine is None:
            continue
        where = f.relative_to(repo)
        for n, line in enumerate(lines, 1):
            m = INCLUDE.match(line)
            if m:
                theirs = folder_of(m.group(1))
                if theirs is not None and RANK[theirs] > RANK[mine]:
                    faults.append(f"{where}:{n}: includes {m.group(1)} of a later folder")
            m = FORWARD.match(line)
            if m:
                later = [t for t in defined.get(m.group(1), ()) if RANK[t] > RANK[mine]]
                if later and mine not in defined.get(m.group(1), ()):
                    faults.append(f"{where}:{n}: declares {m.group(1)}, a type of {later[0]}")

    for mod in RANK:
        for f in sorted((repo / "tests" / mod).glob("*")):
            if f.suffix not in (".h", ".cpp"):
                continue
            for n, line in enumerate(f.read_text(errors="replace").splitlines(), 1):
                m = INCLUDE.match(line)
                theirs = folder_of(m.group(1)) if m else None
                if theirs is not None and RANK[theirs] > RANK[mod]:
                    faults.append(f"{f.relative_to(repo)}:{n}: includes {m.group(1)} of a later folder")

    cmake = (repo / "CMakeLists.txt").read_text()
    for m in LINK.finditer(cmake):
        target, libs = m.group(1), re.findall(r"\bvorn_\w+", m.group(2))
        n = cmake.count("\n", 0, m.start()) + 1
        if target in LIBRARY_RANK:
            for lib in libs:
                if lib in LIBRARY_RANK and LIBRARY_RANK[lib] >= LIBRARY_RANK[target]:
                    faults.append(f"CMakeLists.txt:{n}: {target} links {lib}, not a library before it")
        elif target.startswith("test_"):
            for lib in libs:
                if lib in LIBRARY_RANK and target != "test_${mod}":
                    faults.append(f"CMakeLists.txt:{n}: {target} links {lib}")
                elif lib in LIBRARY_RANK and lib != "vorn_${mod}":
                    faults.append(f"CMakeLists.txt:{n}: the tests of a folder link {lib} beside their own library")

    for fault in faults:
        print(fault)
    print(f"{len(faults)} use(s) against the order {','.join(ORDER)}")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
