#!/usr/bin/env python3
"""Checks that every project include names its folder and reaches only the layers below.

Usage: scripts/check-layers.py [source root]
Prints one line per offending include (file:line: include: reason) and exits 1 when there
is any; exits 0 quietly otherwise. Tests, benchmarks and fuzz targets are not checked.
"""
import pathlib
import re
import sys

# Folder -> folders its includes may reach (its own included). The first folder that
# prefixes a file's path decides its layer, so app/data and app/shell come before app.
LAYERS = [
    ("link", {"link"}),
    ("sim", {"link", "sim"}),
    ("app/data", {"link", "app/data"}),
    ("views", {"link", "app/data", "views"}),
    ("diagnostics", {"link", "app/data", "views", "diagnostics"}),
    ("dialogs", {"link", "app/data", "views", "dialogs"}),
    ("report", {"link", "app/data", "report"}),
    ("cli", {"link", "sim", "app/data", "report", "cli"}),
    ("app/shell", {"link", "sim", "app/data", "views", "diagnostics", "dialogs", "report",
                   "app/shell"}),
]
FOLDERS = sorted({folder for folder, _ in LAYERS}, key=len, reverse=True)
SOURCE_SUFFIXES = {".h", ".hpp", ".cpp", ".cc"}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def folder_of(relative_path):
    """The layer folder a path lies in, or None outside every layer."""
    for folder in FOLDERS:
        if relative_path == folder or relative_path.startswith(folder + "/"):
            return folder
    return None


def check_file(root, path, allowed):
    problems = []
    relative = path.relative_to(root).as_posix()
    with open(path, encoding="utf-8", errors="replace") as source:
        for number, line in enumerate(source, start=1):
            match = INCLUDE.match(line)
            if not match:
                continue
            included = match.group(1)
            target = folder_of(included)
            where = f"{relative}:{number}: \"{included}\""
            if "/" not in included:
                problems.append(f"{where}: include without its folder")
            elif target is None:
                problems.append(f"{where}: not a folder of the project")
            elif target not in allowed:
                problems.append(f"{where}: {folder_of(relative)}/ may not use {target}/")
    return problems


def main(argv):
    root = pathlib.Path(argv[1] if len(argv) > 1 else pathlib.Path(__file__).parent.parent)
    root = root.resolve()
    problems = []
    for folder, allowed in LAYERS:
        base = root / folder
        if not base.is_dir():
            continue
        for path in sorted(base.rglob("*")):
            if path.suffix not in SOURCE_SUFFIXES or not path.is_file():
                continue
            # app/shell lies under app/; a file is checked once, by its own layer.
            if folder_of(path.relative_to(root).as_posix()) != folder:
                continue
            problems.extend(check_file(root, path, allowed))
    for problem in problems:
        print(problem)
    if problems:
        print(f"check-layers: {len(problems)} include(s) break the layers", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
