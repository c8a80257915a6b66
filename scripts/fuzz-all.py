#!/usr/bin/env python3
"""Runs every fuzz target of a build tree long and records the executions in docs/testing.md.

The targets come from <build>/tests/fuzz/targets.tsv, which CMake writes (tests/CMakeLists.txt)
with each target's own libFuzzer flags. Each runs for --runs executions, or until --max-seconds when that is set and comes first, over
the same two corpus folders as its short CTest run. libFuzzer ends a run with "Done N runs in S
second(s)"; N goes into the table between the fuzz-table markers of the document. A target that
fails keeps its old row, and the script exits with 1 after the others have run.
"""

import argparse
import concurrent.futures
import datetime
import pathlib
import re
import subprocess
import sys

BEGIN = "<!-- fuzz-table:begin -->"
END = "<!-- fuzz-table:end -->"
HEADER = ["| Target | What it checks | Executions | Date |", "|---|---|---:|---|"]
DONE = re.compile(r"^Done (\d+) runs in (\d+) second", re.MULTILINE)


def read_targets(build):
    manifest = build / "tests" / "fuzz" / "targets.tsv"
    targets = []
    for line in manifest.read_text().splitlines():
        if line.strip():
            name, executable, corpus, seeds, what, flags = line.split("\t")
            targets.append({"name": name, "executable": executable, "corpus": corpus,
                            "seeds": seeds, "what": what, "flags": flags.split()})
    return targets


def run(target, build, runs, max_seconds):
    folder = build / "tests" / "fuzz"
    log = folder / f"{target['name']}.log"
    pathlib.Path(target["corpus"]).mkdir(parents=True, exist_ok=True)
    command = [target["executable"], f"-runs={runs}", f"-max_total_time={max_seconds}",
               *target["flags"], "-print_final_stats=1", f"-artifact_prefix={folder}/",
               target["corpus"], target["seeds"]]
    with open(log, "w") as out:
        code = subprocess.call(command, stdout=out, stderr=subprocess.STDOUT)
    done = DONE.findall(log.read_text(errors="replace"))
    if code != 0 or not done:
        return target, None, f"exit code {code}, see {log}"
    executions, seconds = (int(value) for value in done[-1])
    return target, executions, f"{executions:,} runs in {seconds} s"


def read_rows(text):
    """The existing table's rows by target name, so a partial run keeps the others."""
    rows = {}
    if BEGIN in text and END in text:
        table = text[text.index(BEGIN) + len(BEGIN):text.index(END)]
        for line in table.strip().splitlines()[2:]:
            cells = [cell.strip() for cell in line.strip().strip("|").split("|")]
            if len(cells) == 4:
                rows[cells[0].strip("`")] = line
    return rows


def write_table(document, targets, results):
    text = document.read_text() if document.exists() else "# Testing\n"
    rows = read_rows(text)
    today = datetime.date.today().isoformat()
    for target in targets:
        if target["name"] in results:
            executions = results[target["name"]]
            rows[target["name"]] = f"| `{target['name']}` | {target['what']} | {executions:,} | {today} |"
    lines = HEADER + [rows[t["name"]] for t in targets if t["name"] in rows]
    table = BEGIN + "\n" + "\n".join(lines) + "\n" + END
    if BEGIN in text and END in text:
        text = text[:text.index(BEGIN)] + table + text[text.index(END) + len(END):]
    elif "## Fuzzing" in text:
        at = text.index("## Fuzzing") + len("## Fuzzing")
        text = text[:at] + "\n\n" + table + "\n" + text[at:]
    else:
        text = text.rstrip("\n") + "\n\n## Fuzzing\n\n" + table + "\n"
    document.write_text(text)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build/native", type=pathlib.Path)
    parser.add_argument("--runs", default=10_000_000, type=int)
    parser.add_argument("--max-seconds", default=0, type=int, help="0: no time limit")
    parser.add_argument("--jobs", default=1, type=int, help="targets run at the same time")
    parser.add_argument("--doc", default="docs/testing.md", type=pathlib.Path)
    parser.add_argument("targets", nargs="*", help="only these targets (default: all)")
    options = parser.parse_args()

    targets = read_targets(options.build)
    chosen = [t for t in targets if not options.targets or t["name"] in options.targets]
    unknown = set(options.targets) - {t["name"] for t in targets}
    if unknown:
        sys.exit(f"unknown fuzz targets: {', '.join(sorted(unknown))}")

    results, failed = {}, False
    with concurrent.futures.ThreadPoolExecutor(max_workers=options.jobs) as pool:
        futures = [pool.submit(run, t, options.build, options.runs, options.max_seconds)
                   for t in chosen]
        for future in concurrent.futures.as_completed(futures):
            target, executions, note = future.result()
            print(f"{target['name']}: {note}", flush=True)
            if executions is None:
                failed = True
            else:
                results[target["name"]] = executions
    write_table(options.doc, targets, results)
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
