#!/usr/bin/env python3
"""Turns the measurements that bench/run leaves in its data folder into results.md and a scaling
plot: one table per size, the targets at the largest size, the micro-benchmarks, and the note."""
import argparse
import json
import math
import os
import sys

BASELINES = ["wc -l", "cat", "inih line counter", "Python dict reader", "Python JSON writer"]
MODULE_COMMANDS = ["parse + checks", "validator, text", "validator, json"]
IN_PROCESS = "parse + checks, in-process"
IN_PROCESS_WARM = "parse + checks, in-process, warm heap"


def read_keys(path):
    values = {}
    if os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            for line in f:
                key, sep, value = line.rstrip("\n").partition("=")
                if sep:
                    values[key] = value
    return values


def load_size(data, size):
    gen = read_keys(os.path.join(data, f"gen-{size}.txt"))
    rows = {}
    with open(os.path.join(data, f"measure-{size}.tsv"), encoding="utf-8") as f:
        for line in f:
            _, index, name, first, rss, runs, cpu = line.rstrip("\n").split("\t")
            row = {"first": float(first), "rss_kib": int(rss), "runs": int(runs),
                   "median": float(first), "cpu": float(cpu)}
            hyperfine = os.path.join(data, f"hyperfine-{size}-{index}.json")
            if os.path.exists(hyperfine):
                with open(hyperfine, encoding="utf-8") as h:
                    result = json.load(h)["results"][0]
                row["median"] = result["median"]
                row["cpu"] = result["user"] + result["system"]
            rows[name] = row
    probe = read_keys(os.path.join(data, f"probe-{size}.txt"))
    if "parse_seconds_first" in probe:
        rows[IN_PROCESS] = {
            "median": float(probe["parse_seconds_first"]),
            "runs": 1,
            # Peak of the whole probe, less what the DP list alone had taken.
            "rss_kib": int(probe["rss_peak_kib"]) - int(probe["rss_after_load_kib"]),
            "cpu": float(probe["parse_cpu_seconds_first"]),
        }
        if int(probe.get("runs", "1")) > 1:
            rows[IN_PROCESS_WARM] = dict(rows[IN_PROCESS], runs=int(probe["runs"]),
                                         median=float(probe["parse_seconds_median"]),
                                         cpu=float(probe["parse_cpu_seconds_median"]))
    dp_list = os.path.join(data, f"bench-{size}.dpl")
    dp_bytes = os.path.getsize(dp_list) if os.path.exists(dp_list) else 0
    return {"size": size, "lines": int(gen["lines"]), "bytes": int(gen["bytes"]),
            "dp_bytes": dp_bytes,
            "blocks": int(gen["blocks"]), "faulty": int(gen["faulty"]),
            "devices": int(gen["devices"]), "rows": rows}


def ratio(a, b):
    return a / b if b > 0 else math.inf


def fmt_ratio(value):
    return f"{value:.1f}×" if value >= 10 else f"{value:.2f}×"


def size_table(measured):
    lines = measured["lines"]
    mbytes = measured["bytes"] / 1e6
    rows = measured["rows"]
    out = ["| command | runs | median (s) | CPU (s) | ns / line | MB/s | peak RSS (MiB) | "
           "RSS / file |" + "".join(f" × {b} |" for b in BASELINES),
           "|---|---:|---:|---:|---:|---:|---:|---:|" + "---:|" * len(BASELINES)]
    for name, row in rows.items():
        median = row["median"]
        rss = row["rss_kib"] * 1024
        cells = [name, str(row["runs"]), f"{median:.3f}", f"{row['cpu']:.3f}",
                 f"{median * 1e9 / lines:.1f}",
                 f"{mbytes / median:.1f}" if median > 0 else "∞", f"{rss / 2**20:.1f}",
                 f"{rss / measured['bytes']:.2f}"]
        for base in BASELINES:
            cells.append(fmt_ratio(ratio(median, rows[base]["median"])) if base in rows else "–")
        out.append("| " + " | ".join(cells) + " |")
    return out


def verdict(ok):
    return "met" if ok else "**missed**"


def targets(sizes, micro):
    largest = sizes[-1]
    # The targets against the baselines and for memory are set at 100,000 blocks.
    middle = next((m for m in sizes if m["blocks"] == 100_000), sizes[len(sizes) // 2])
    out = ["| size | target | limit | measured | verdict |", "|---|---|---|---|---|"]

    def add(measured_at, target, limit, measured, ok):
        out.append(f"| {measured_at['blocks']:,} | {target} | {limit} | {measured} | "
                   f"{verdict(ok)} |")

    rows = middle["rows"]
    # Processor time against the Python peer doing the same work: the text run against a reader
    # of one dict per block, the JSON run against a program that writes the same JSON.
    for name, peer, limit in (("validator, text", "Python dict reader", 0.5),
                              ("validator, json", "Python JSON writer", 0.25)):
        if peer in rows and name in rows:
            cpu = ratio(rows[name]["cpu"], rows[peer]["cpu"])
            r = ratio(rows[name]["median"], rows[peer]["median"])
            add(middle, f"{name} vs {peer}, CPU", f"≤ {limit:g}×",
                f"{cpu:.2f}× ({rows[name]['cpu']:.3f} s vs {rows[peer]['cpu']:.3f} s); "
                f"wall {r:.2f}×", cpu <= limit)
    input_bytes = middle["bytes"] + middle["dp_bytes"]
    if "validator, text" in rows:
        r = rows["validator, text"]["rss_kib"] * 1024 / input_bytes
        add(middle, "peak RSS, validator, text", "≤ 5× input (config + DP list)",
            f"{r:.1f}× ({rows['validator, text']['rss_kib'] / 1024:.0f} MiB for "
            f"{input_bytes / 2**20:.1f} MiB)", r <= 5)
    if "validator, json" in rows and "Python JSON writer" in rows:
        r = ratio(rows["validator, json"]["rss_kib"], rows["Python JSON writer"]["rss_kib"])
        add(middle, "peak RSS, validator, json vs Python JSON writer", "≤ 0.35×",
            f"{r:.2f}× ({rows['validator, json']['rss_kib'] / 1024:.0f} MiB vs "
            f"{rows['Python JSON writer']['rss_kib'] / 1024:.0f} MiB)", r <= 0.35)

    rows = largest["rows"]
    lines = largest["lines"]
    if IN_PROCESS in rows:
        ns = rows[IN_PROCESS]["median"] * 1e9 / lines
        cpu_ns = rows[IN_PROCESS]["cpu"] * 1e9 / lines
        add(largest, "parse and all checks, in process", "≤ 100 ns / line",
            f"{ns:.0f} ns / line; CPU {cpu_ns:.0f} ns / line", ns <= 100)
    inih = rows.get("inih line counter")
    if inih and "validator, text" in rows:
        text = rows["validator, text"]
        r = ratio(text["median"], inih["median"])
        add(largest, "validator, text vs inih line counter", "≤ 3×",
            f"{r:.1f}× ({text['median']:.2f} s vs {inih['median']:.2f} s); "
            f"CPU {ratio(text['cpu'], inih['cpu']):.1f}×", r <= 3)
    if len(sizes) >= 2 and middle is not largest:
        factor = largest["blocks"] / middle["blocks"]
        limit = 1.1 * factor
        for name in rows:
            if name in middle["rows"]:
                r = ratio(rows[name]["median"], middle["rows"][name]["median"])
                cpu = ratio(rows[name]["cpu"], middle["rows"][name]["cpu"])
                m = ratio(rows[name]["rss_kib"], middle["rows"][name]["rss_kib"])
                add(largest, f"time({largest['blocks']:,}) / time({middle['blocks']:,}), {name}",
                    f"≤ {limit:g}", f"{r:.1f}; CPU {cpu:.1f}; memory {m:.1f}", r <= limit)
    for shape in shape_growth(micro):
        add(largest, f"time per block over shapes, {shape['name']} (same number of blocks)",
            "flat, not quadratic (exponent < 0.25; quadratic is 1)", shape["text"],
            shape["exponent"] < 0.25)
    return out


def shape_growth(micro):
    """For each shape family: how time per block grows with the shape, as the exponent e of
    per_block ~ shape^e between its smallest and largest shape (0: flat, 1: quadratic)."""
    families = {}
    for bench in micro:
        if bench.get("run_type") != "iteration" or "per_block" not in bench:
            continue
        family, _, arg = bench["name"].partition("/")
        if ":" not in arg or "/" in arg:
            continue  # a family of one shape argument only
        label, _, value = arg.partition(":")
        families.setdefault((family, label), []).append((int(value), bench["per_block"]))
    growth = []
    for (family, label), points in families.items():
        points.sort()
        (low, t_low), (high, t_high) = points[0], points[-1]
        exponent = math.log(t_high / t_low) / math.log(high / low)
        growth.append({"name": f"{family}, {label} {low} to {high}", "exponent": exponent,
                       "text": f"{t_low * 1e9:.0f} → {t_high * 1e9:.0f} ns / block, "
                               f"exponent {exponent:.2f}"})
    return growth


def cross_block_rows(micro):
    """The checks across blocks have no entry point of their own: their cost is the validation
    pass less the block checks, over the same blocks."""
    by_name = {b["name"]: b for b in micro if b.get("run_type") == "iteration"}
    rows = []
    for name, whole in by_name.items():
        if not name.startswith("BM_ValidationPass/"):
            continue
        own = by_name.get(name.replace("BM_ValidationPass", "BM_BlockChecks"))
        if own is None or "per_line" not in whole or "per_line" not in own:
            continue
        size = name.split("/", 1)[1]
        rows.append("| cross-block checks/{} (derived) | – | {:.3g} {} | {:.0f} ns | {:.0f} ns | – |"
                    .format(size, whole["cpu_time"] - own["cpu_time"], whole["time_unit"],
                            (whole["per_line"] - own["per_line"]) * 1e9,
                            (whole["per_block"] - own["per_block"]) * 1e9))
    return rows


def micro_table(micro):
    out = ["| benchmark | iterations | CPU time / iteration | per line | per block | MB/s |",
           "|---|---:|---:|---:|---:|---:|"]
    for bench in micro:
        if bench.get("run_type") != "iteration":
            continue
        unit = bench.get("time_unit", "ns")
        per_line = bench.get("per_line")
        per_block = bench.get("per_block")
        items = bench.get("items_per_second")
        rate = bench.get("bytes_per_second")
        out.append("| {} | {} | {:.3g} {} | {} | {} | {} |".format(
            bench["name"], bench["iterations"], bench["cpu_time"], unit,
            f"{per_line * 1e9:.0f} ns" if per_line else "–",
            f"{per_block * 1e9:.0f} ns" if per_block else
            (f"{1e9 / items:.1f} ns / lookup" if items else "–"),
            f"{rate / 1e6:.1f}" if rate else "–"))
    return out + cross_block_rows(micro)


def plot(sizes, path):
    try:
        import matplotlib
    except ImportError:
        # The tables are the results; the plot is a view of them that needs python3-matplotlib.
        print(f"report.py: python3-matplotlib is not installed; {path} not redrawn", file=sys.stderr)
        return
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    names = list(sizes[-1]["rows"].keys())
    blocks = [s["blocks"] for s in sizes]
    fig, (left, right) = plt.subplots(1, 2, figsize=(12, 5))
    for name in names:
        present = [s for s in sizes if name in s["rows"]]
        x = [s["blocks"] for s in present]
        left.plot(x, [s["rows"][name]["median"] for s in present], marker="o", label=name)
        right.plot(x, [s["rows"][name]["rss_kib"] / 1024 for s in present], marker="o",
                   label=name)
    file_mib = [s["bytes"] / 2**20 for s in sizes]
    (file_line,) = right.plot(blocks, file_mib, "k:", label="size of the config file")
    left.set_title("median time")
    left.set_ylabel("seconds")
    right.set_title("peak resident memory")
    right.set_ylabel("MiB")
    for axis in (left, right):
        axis.set_xscale("log")
        axis.set_yscale("log")
        axis.set_xlabel("blocks")
        axis.grid(True, which="both", alpha=0.3)
    left.legend(fontsize="small")
    right.legend(handles=[file_line], fontsize="small", loc="upper left")
    fig.tight_layout()
    fig.savefig(path, dpi=110)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--data", required=True)
    parser.add_argument("--results", required=True)
    parser.add_argument("--plot", required=True)
    parser.add_argument("--notes")
    args = parser.parse_args()

    env = read_keys(os.path.join(args.data, "env.txt"))
    sizes = sorted((load_size(args.data, int(s)) for s in env["sizes"].split()),
                   key=lambda s: s["blocks"])
    micro = []
    micro_path = os.path.join(args.data, "micro.json")
    if os.path.exists(micro_path):
        with open(micro_path, encoding="utf-8") as f:
            micro = json.load(f)["benchmarks"]

    out = ["# Benchmark results", "",
           "Written by `bench/run` (see README.md); every figure below comes from one run of it.",
           "", f"- commit {env.get('commit')}, {env.get('compiler')}, {env.get('hyperfine')}, "
           f"{env.get('python')}",
           f"- {env.get('cores')} cores: {env.get('cpu')}",
           f"- load at the start: `{env.get('uptime_start', '').strip()}`",
           f"- load at the end: `{env.get('uptime_end', '').strip()}`",
           "- medians of hyperfine runs (standard output to /dev/null); a command slower than "
           "the run's budget was run once, under time(1) only (runs = 1). CPU is user + system "
           "time (hyperfine's mean, or time(1)'s), the fairer figure while other work shares "
           "the cores. Peak RSS from time(1).",
           "- The in-process rows are the parser's own clock around `parse` in the probe: the "
           "first parse of the process (what a validator run pays: every page of its heap is "
           "new), and the median of repeated parses in one process (the heap already mapped). "
           "Their RSS is the growth of the peak over what the DP list had taken.", ""]
    out += ["## Targets", ""] + targets(sizes, micro) + [""]
    for measured in sizes:
        out += [f"## {measured['blocks']:,} blocks", "",
                f"{measured['devices']:,} devices, {measured['lines']:,} lines, "
                f"{measured['bytes'] / 1e6:.1f} MB, {measured['faulty']:,} faulty blocks.", ""]
        out += size_table(measured) + [""]
    out += ["## Scaling", "", "![time and memory against blocks](scaling.png)", ""]
    if micro:
        out += ["## Micro-benchmarks", "",
                "Google Benchmark, CPU time. `BM_ValidationPass` minus `BM_BlockChecks` is "
                "the cost of the checks across blocks.", ""] + micro_table(micro) + [""]
    if args.notes and os.path.exists(args.notes):
        with open(args.notes, encoding="utf-8") as f:
            out += ["## Note", "", f.read().strip(), ""]
    with open(args.results, "w", encoding="utf-8") as f:
        f.write("\n".join(out))
    plot(sizes, args.plot)


if __name__ == "__main__":
    main()
