#!/usr/bin/env python3
"""The growth table of scripts/bench: each benchmark run at several row counts, its time per size,
the growth from one size to the next (10 x the rows giving 10 x the time is linear), and the
ratios against the anchors measured in the same runs (counters named x_...), with the load
average each run began under."""
import json
import pathlib
import sys


def main(folder):
    runs = {}
    for path in sorted(pathlib.Path(folder).glob("*.json")):
        program, rows = path.stem.rsplit("-", 1)
        data = json.loads(path.read_text())
        load = data.get("context", {}).get("load_avg", [])
        for bench in data.get("benchmarks", []):
            if bench.get("run_type") == "aggregate" and bench.get("aggregate_name") != "median":
                continue
            name = bench["run_name"] if "run_name" in bench else bench["name"]
            key = f"{program}/{name}"
            ratios = {k: v for k, v in bench.items() if k.startswith("x_")}
            runs.setdefault(key, {})[int(rows)] = (bench["real_time"], bench["time_unit"],
                                                   ratios, load)
    print(f"{'benchmark':60} {'rows':>9} {'time':>12} {'growth':>7}  anchors (same run)  load")
    for key, by_rows in runs.items():
        previous = None
        for rows in sorted(by_rows):
            time, unit, ratios, load = by_rows[rows]
            growth = f"{time / previous:7.2f}" if previous else " " * 7
            anchors = " ".join(f"{k}={v:.2f}" for k, v in ratios.items())
            loads = " ".join(f"{x:.2f}" for x in load)
            print(f"{key:60} {rows:>9} {time:>10.1f}{unit:>2} {growth}  {anchors:18}  {loads}")
            previous = time


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "build-release/bench-results")
