#!/usr/bin/env python3
"""Packs the release zip, dist/quorvane-<version>.zip: the four executables from dist/, the
example configuration, README, docs, the licence and notices, and SHA256SUMS of all of them.
Everything lies in one folder named like the zip. Entries are sorted and carry the time of the
last commit, so the same tree packs to the same bytes."""

import hashlib
import subprocess
import sys
import time
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
EXECUTABLES = ["quorvane64.exe", "quorvane64w.exe", "quorvane.exe", "quorvanew.exe"]


def commit_time() -> tuple:
    try:
        seconds = int(subprocess.run(["git", "-C", str(ROOT), "log", "-1", "--format=%ct"],
                                     capture_output=True, text=True, check=True).stdout)
    except (OSError, subprocess.CalledProcessError, ValueError):
        seconds = 315532800  # 1980-01-01, the earliest time a zip entry can hold
    return time.gmtime(max(seconds, 315532800))[:6]


def main() -> int:
    version = (ROOT / "VERSION").read_text().strip()
    files = {name: ROOT / "dist" / name for name in EXECUTABLES}
    files["examples/quorvane.ini"] = ROOT / "examples" / "quorvane.ini"
    for name in ["README.md", "LICENSE", "THIRD-PARTY-NOTICES.md"]:
        files[name] = ROOT / name
    for path in sorted((ROOT / "docs").rglob("*")):
        if path.is_file():
            files[str(path.relative_to(ROOT))] = path
    missing = [str(path) for path in files.values() if not path.is_file()]
    if missing:
        print("make-release: missing " + ", ".join(missing) + " (run `make dist` first)",
              file=sys.stderr)
        return 1

    contents = {name: path.read_bytes() for name, path in sorted(files.items())}
    contents["SHA256SUMS"] = "".join(f"{hashlib.sha256(data).hexdigest()}  {name}\n"
                                     for name, data in contents.items()).encode()
    folder = f"quorvane-{version}"
    target = ROOT / "dist" / f"{folder}.zip"
    stamp = commit_time()
    with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for name, data in contents.items():
            entry = zipfile.ZipInfo(f"{folder}/{name}", date_time=stamp)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.external_attr = 0o644 << 16
            archive.writestr(entry, data)
    print(f"{target.relative_to(ROOT)}: {len(contents)} files, {target.stat().st_size} bytes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
