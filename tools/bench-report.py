#!/usr/bin/env python3
"""Gathers the figures of every benchmark run into one table: figure, our time, the floor
measured in the same run, their ratio, the goal and whether it is met.

    tools/bench-report.py RESULTS_DIR

RESULTS_DIR holds what tools/dev.sh bench leaves there: text.json, web.json and request.json
(Google Benchmark's JSON output) and the one-line summaries of the briefing, responsiveness and
start-up benchmarks (briefing.log, responsiveness.log, startup.log). The table is Markdown.
Exits with 1 when a figure is missing, so a benchmark that failed to run is noticed.
"""

import json
import re
import sys
from pathlib import Path

MIB = 1 << 20
KIB = 1 << 10
NUMBER = r"([0-9]+(?:\.[0-9]+)?)"


def load_benchmarks(path):
    """Google Benchmark results by name (only the plain runs, not aggregates)."""
    if not path.exists():
        return {}
    data = json.loads(path.read_text())
    runs = {}
    for run in data.get("benchmarks", []):
        if run.get("run_type", "iteration") != "iteration" or run.get("error_occurred"):
            continue
        runs[run["name"]] = run
    return runs


def milliseconds(run):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[run.get("time_unit", "ns")]
    return run["real_time"] * scale


def find(runs, prefix):
    """The run whose name is prefix, or prefix followed by benchmark-added suffixes."""
    for name, run in runs.items():
        if name == prefix or name.startswith(prefix + "/"):
            return run
    return None


def time_text(ms):
    return f"{ms:.3f} ms" if ms < 10 else f"{ms:.1f} ms"


class Table:
    def __init__(self):
        self.rows = []
        self.missing = []

    def add(self, figure, ours, floor, ratio, goal, met):
        self.rows.append((figure, ours, floor, ratio, goal, "yes" if met else "NO"))

    def lack(self, figure):
        self.missing.append(figure)
        self.rows.append((figure, "missing", "", "", "", ""))

    def print(self):
        header = ("figure", "ours", "floor (same run)", "ratio", "goal", "met")
        print("| " + " | ".join(header) + " |")
        print("|" + "|".join("---" for _ in header) + "|")
        for row in self.rows:
            print("| " + " | ".join(row) + " |")


def text_rows(table, runs):
    # Searches against memmem over the same page: the counter vs_memmem is our time over
    # memmem's for the same number of iterations, measured right after ours.
    for routine, case in (("FindText", "absent"), ("FindText", "at_end"),
                          ("FindTextReverse", "absent"), ("TextBetween", "absent"),
                          ("TextBetween", "at_end")):
        for size in (MIB, 8 * MIB):
            figure = f"{routine} {size // MIB} MiB, marker {case.replace('_', ' ')}"
            run = find(runs, f"BM_{routine}/{case}/{size}")
            if run is None or "vs_memmem" not in run:
                table.lack(figure)
                continue
            ours = milliseconds(run)
            ratio = run["vs_memmem"]
            rate = run.get("bytes_per_second", 0) / 1e9
            table.add(figure, f"{time_text(ours)} ({rate:.1f} GB/s)",
                      f"memmem {time_text(ours / ratio)}", f"{ratio:.2f}x",
                      "≥ 1 GB/s, ≤ 4x", rate >= 1 and ratio <= 4)
    # Linear in the text's length: one 8 MiB page against eight 1 MiB pages.
    for routine in ("ReplaceText", "SplitText"):
        figure = f"{routine} 8 MiB vs 8 × 1 MiB"
        large = find(runs, f"BM_{routine}/{8 * MIB}")
        small = find(runs, f"BM_{routine}/{MIB}")
        if large is None or small is None:
            table.lack(figure)
            continue
        ours = milliseconds(large)
        floor = 8 * milliseconds(small)
        table.add(figure, time_text(ours), f"8 × 1 MiB {time_text(floor)}",
                  f"{ours / floor:.2f}x", "≤ 1.5x (linear)", ours / floor <= 1.5)


def web_rows(table, runs):
    figure = "DecodeResponseBody, 1 MiB UTF-8 page"
    ours = find(runs, "BM_DecodeResponseBody")
    floor = find(runs, "BM_IcuUtf8ToWindows936")
    if ours is None or floor is None:
        table.lack(figure)
        return
    ratio = milliseconds(ours) / milliseconds(floor)
    table.add(figure, time_text(milliseconds(ours)), f"direct ICU {time_text(milliseconds(floor))}",
              f"{ratio:.2f}x", "≤ 1.5x", ratio <= 1.5)


def request_rows(table, runs):
    for size, label, goal in ((300 * KIB, "300 KB", 1.10), (MIB, "1 MiB", 1.10),
                              (64 * MIB, "64 MiB", 1.30)):
        figure = f"WebRequest GET {label} over HTTPS"
        run = find(runs, f"BM_WebRequestGet/{size}")
        if run is None or "vs_bare_curl" not in run:
            table.lack(figure)
            continue
        ours = milliseconds(run)
        ratio = run["vs_bare_curl"]
        table.add(figure, time_text(ours), f"bare libcurl {time_text(ours / ratio)}",
                  f"{ratio:.2f}x", f"≤ {goal:.2f}x", ratio <= goal)


def read(path):
    return path.read_text() if path.exists() else ""


def summary_rows(table, results):
    figure = "briefing: weather + news queries"
    m = re.search(rf"briefing: .*? {NUMBER} ms vs 14 bare libcurl fetches {NUMBER} ms = "
                  rf"{NUMBER}x \(goal <= {NUMBER}x\)", read(results / "briefing.log"))
    if m:
        ours, floor, ratio, goal = map(float, m.groups())
        table.add(figure, time_text(ours), f"14 bare libcurl fetches {time_text(floor)}",
                  f"{ratio:.2f}x", f"≤ {goal:.2f}x", ratio <= goal)
    else:
        table.lack(figure)

    figure = "responsiveness: longest gap during a weather query"
    m = re.search(rf"responsiveness: .*?: {NUMBER} ms \(goal <= {NUMBER} ms\); "
                  rf"with blocking transfers: {NUMBER} ms", read(results / "responsiveness.log"))
    if m:
        gap, goal, blocking = map(float, m.groups())
        table.add(figure, f"{gap:.0f} ms", f"(blocking transfers: {blocking:.0f} ms)", "",
                  f"≤ {goal:.0f} ms", gap <= goal)
    else:
        table.lack(figure)

    m = re.search(rf"startup: first paint {NUMBER} ms vs bare {NUMBER} ms = {NUMBER}x "
                  rf"\(goal <= {NUMBER}x\); peak RSS {NUMBER} MiB vs {NUMBER} MiB = {NUMBER}x "
                  rf"\(goal <= {NUMBER}x\)", read(results / "startup.log"))
    if m:
        values = list(map(float, m.groups()))
        ours, floor, ratio, goal = values[:4]
        table.add("start-up: time to first paint", time_text(ours),
                  f"bare Qt window {time_text(floor)}", f"{ratio:.2f}x", f"≤ {goal:.2f}x",
                  ratio <= goal)
        ours, floor, ratio, goal = values[4:]
        table.add("start-up: peak memory (RSS)", f"{ours:.1f} MiB",
                  f"bare Qt window {floor:.1f} MiB", f"{ratio:.2f}x", f"≤ {goal:.2f}x",
                  ratio <= goal)
    else:
        table.lack("start-up: time to first paint")
        table.lack("start-up: peak memory (RSS)")


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    results = Path(sys.argv[1])
    table = Table()
    text_rows(table, load_benchmarks(results / "text.json"))
    web_rows(table, load_benchmarks(results / "web.json"))
    request_rows(table, load_benchmarks(results / "request.json"))
    summary_rows(table, results)
    table.print()
    if table.missing:
        print(f"missing figures: {', '.join(table.missing)}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
