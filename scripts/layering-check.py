#!/usr/bin/env python3
"""Checks every #include of the product folders against the "may use" column of
the table in docs/layout.md, so the document stays the one place that says who
may use what.

An include is allowed when it names the file's own folder, the C or C++
standard library, or something the folder may use, directly or through a
folder it may use. "Qt Widgets" allows what Qt Widgets itself builds on
(Qt Gui, Qt Core); "libc" stands for the POSIX and system headers, which only the folders
that name it may include (the others reach them through those folders' seams).
Prints one line per include the table does not allow and exits with 1.
"""
import os
import re
import subprocess
import sys

LAYOUT = "docs/layout.md"
NOT_PRODUCT = ("tests/", "bench/", "fuzz/")
SOURCE_SUFFIXES = (".cpp", ".h", ".c")

# What a Qt module itself builds on: allowing one allows these too.
QT_MODULE_NEEDS = {
    "Qt Widgets": ["Qt Gui"],
    "Qt Gui": ["Qt Core"],
    "Qt DBus": ["Qt Core"],
    "Qt Concurrent": ["Qt Core"],
}

# Headers of the libraries outside Qt the table names.
LIBRARY_HEADERS = {
    "archive.h": "libarchive",
    "archive_entry.h": "libarchive",
    "zlib.h": "zlib",
    "bzlib.h": "libbz2",
    "SDL.h": "SDL2",
}

C_STANDARD = set(
    "assert complex ctype errno fenv float inttypes iso646 limits locale math setjmp "
    "signal stdalign stdarg stdatomic stdbool stddef stdint stdio stdlib stdnoreturn "
    "string tgmath threads time uchar wchar wctype".split()
)

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def fail_setup(message):
    print(f"layering check: {message}", file=sys.stderr)
    sys.exit(2)


def table_rows(text):
    """The (folder, may-use cell) pairs of the folder table."""
    rows = []
    in_table = False
    for line in text.splitlines():
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if not in_table:
            in_table = len(cells) >= 4 and cells[0] == "folder" and cells[-1] == "may use"
            continue
        if not line.strip().startswith("|"):
            break
        if set(line.replace("|", "").strip()) <= set("-: "):
            continue
        rows.append((cells[0].strip("`").rstrip("/"), cells[-1]))
    if not rows:
        fail_setup(f"no folder table with a 'may use' column in {LAYOUT}")
    return rows


def allowed_names(cell, folders_above):
    """The names one "may use" cell lists: folders, files, Qt modules, libraries."""
    names = set()
    cell = re.sub(r"\([^)]*\)", "", cell)  # remarks in parentheses
    for item in (part.strip() for part in cell.split(",")):
        if not item:
            continue
        if item.startswith("all of the above"):
            names.update(folders_above)
            rest = item[len("all of the above") :].strip()
            if rest:
                names.add(rest)
            continue
        if item in ("its own code", "their own code", "everything"):
            continue
        names.add(item.strip("`").rstrip("/"))
    return names


def closure(folder, direct):
    """What a folder may use, following the folders and Qt modules it may use."""
    seen = set()
    pending = list(direct.get(folder, ()))
    while pending:
        name = pending.pop()
        if name in seen:
            continue
        seen.add(name)
        pending.extend(direct.get(name, ()))
        pending.extend(QT_MODULE_NEEDS.get(name, ()))
    # The POSIX and system headers stay behind the seams that use them.
    return (seen - {"libc"}) | (direct.get(folder, set()) & {"libc"})


def qt_header_modules():
    """Maps each Qt class header (QString, QWidget…) to its module ("Qt Core")."""
    try:
        headers = subprocess.run(
            ["qtpaths6", "--query", "QT_INSTALL_HEADERS"], capture_output=True, text=True
        ).stdout.strip()
    except FileNotFoundError:
        headers = ""
    if not headers or not os.path.isdir(headers):
        headers = "/usr/include/x86_64-linux-gnu/qt6"
    modules = {}
    for module in sorted(os.listdir(headers)):
        folder = os.path.join(headers, module)
        if not module.startswith("Qt") or not os.path.isdir(folder):
            continue
        name = "Qt " + module[2:]
        for header in os.listdir(folder):
            modules.setdefault(header, name)
    if not modules:
        fail_setup(f"no Qt headers found under {headers}")
    return modules


def classify(kind, path, folders, qt_modules):
    """The name the table uses for an include: a folder, a module, a library,
    "standard" for the C and C++ standard library, or None when unknown."""
    if kind == '"':
        owners = [f for f in folders if path.startswith(f + "/")]
        return max(owners, key=len) if owners else None
    if path in LIBRARY_HEADERS:
        return LIBRARY_HEADERS[path]
    top = path.split("/")[0]
    if top.startswith("Qt") and top in ("Qt" + m[3:] for m in set(qt_modules.values())):
        return "Qt " + top[2:]
    if path in qt_modules:
        return qt_modules[path]
    if "/" not in path and "." not in path:
        return "standard"  # <string>, <cstdint>, …
    if path.endswith(".h") and path[:-2] in C_STANDARD:
        return "standard"
    return "libc"


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    os.chdir(root)
    with open(LAYOUT, encoding="utf-8") as f:
        rows = table_rows(f.read())

    direct = {}
    folders = []
    for folder, cell in rows:
        direct[folder] = allowed_names(cell, list(folders))
        folders.append(folder)
    product = [f for f in folders if not f.startswith(NOT_PRODUCT) and "<" not in f]
    qt_modules = qt_header_modules()

    files = subprocess.run(
        ["git", "ls-files", *product], capture_output=True, text=True, check=True
    ).stdout.split()
    failures = 0
    for path in files:
        if not path.endswith(SOURCE_SUFFIXES):
            continue
        owner = max((f for f in product if path.startswith(f + "/")), key=len)
        may_use = closure(owner, direct)
        with open(path, encoding="utf-8", errors="replace") as f:
            for number, line in enumerate(f, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                kind, included = match.groups()
                name = classify(kind, included, folders, qt_modules)
                if name in ("standard", owner) or name in may_use or included in may_use:
                    continue
                rule = ", ".join(sorted(direct[owner])) or "nothing"
                what = name or "no folder of the table"
                print(
                    f"{path}:{number}: includes {kind}{included}{'>' if kind == '<' else kind}"
                    f" ({what}), but {LAYOUT} lets {owner} use only: {rule}"
                )
                failures += 1
    if failures:
        print(f"layering check: {failures} include(s) the table in {LAYOUT} does not allow")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
