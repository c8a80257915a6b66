#!/usr/bin/env python3
"""Bytes per source in each deliverable, from the linker's map (build/win*/bin/*.map): the
project's own code, the C++ runtime (libstdc++, libsupc++, libgcc), the C runtime (mingw-w64's
start-up code and libraries), import tables, resources, and what the file adds (headers and
alignment). Prints one Markdown table. Usage: size-report.py MAP..."""

import re
import sys
from pathlib import Path

# An input section: " .text  0x0000000140001000  0x510 /path/to/file.o" (name and the figures
# may stand on two lines when the name is long).
ENTRY = re.compile(r"^ (\.\S+)?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$")
OUTPUT = re.compile(r"^(\.\S+)\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)")
CATEGORIES = ["project", "C++ runtime", "C runtime", "imports", "resources"]


def category(source: str, section: str) -> str:
    if section.startswith((".idata", ".didat")) or re.search(r"lib\w+32\.a|libole32|libuuid|"
                                                               r"libdelayimp|_delay\.a", source):
        return "imports"
    if section.startswith(".rsrc") or source.endswith((".res", ".rc.res")):
        return "resources"
    if "quorvane" in source or "CMakeFiles" in source:
        return "project"
    if re.search(r"libstdc\+\+|libsupc\+\+|libgcc", source):
        return "C++ runtime"
    return "C runtime"


def report(map_file: Path) -> dict:
    sizes = dict.fromkeys(CATEGORIES, 0)
    pending = None
    section = ""
    for line in map_file.read_text(errors="replace").splitlines():
        output = OUTPUT.match(line)
        if output:
            section = output.group(1)
            continue
        if re.match(r"^ \.\S+$", line):  # a long name; its figures follow on the next line
            pending = line.strip()
            continue
        entry = ENTRY.match(line)
        if entry and not section.startswith((".debug", ".bss", ".tls")):
            name = entry.group(1) or pending or section
            size = int(entry.group(3), 16)
            if size and int(entry.group(2), 16):
                sizes[category(entry.group(4), name if name.startswith(".rsrc") else section)] += size
        pending = None
    return sizes


def main(paths: list[str]) -> int:
    print("| executable | file | " + " | ".join(CATEGORIES) + " | headers and alignment |")
    print("|---|---:|" + "---:|" * (len(CATEGORIES) + 1))
    for path in map(Path, paths):
        executable = path.with_suffix(".exe")
        sizes = report(path)
        total = executable.stat().st_size
        rest = total - sum(sizes.values())
        cells = " | ".join(f"{sizes[c] / 1024:.1f} KB" for c in CATEGORIES)
        print(f"| {executable.name} | {total / 1024:.1f} KB | {cells} | {rest / 1024:.1f} KB |")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
