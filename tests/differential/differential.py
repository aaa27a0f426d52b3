#!/usr/bin/env python3
"""Differential check of two builds of quorlin-validate on generated configs.

  differential.py generate DIR [--count N] [--seed S]   write mutated configs and their DP lists
  differential.py compare OLD NEW DIR [--module-only]    run both programs, report every difference

The configs are mutations of the examples and the golden cases (lines dropped, repeated and
swapped, odd spacing, CRLF, classes, aliases, node elements, NUL bytes, long lines), each beside
the DP list of the case it came from. `compare` runs `--format json` in both modes (all blocks and
--errors-only); --module-only compares what the module returned and ignores the program's
positions and notes. Exit 0 when both builds agree on every file.
"""
import argparse
import json
import pathlib
import random
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]


def sources():
    """(config bytes, DP list path) of every example and golden case."""
    plant = ROOT / "examples" / "plant.dpl"
    for cfg in sorted((ROOT / "examples").glob("*.cfg")):
        yield cfg.read_bytes(), plant
    for case in sorted((ROOT / "tests" / "golden" / "cases").iterdir()):
        cfg, dpl = case / "config.txt", case / "dp.dpl"
        if cfg.exists():
            yield cfg.read_bytes(), dpl if dpl.exists() else plant


def respace(line, rng):
    pad = lambda: rng.choice([b"", b" ", b"  ", b"\t", b" \t "])
    if b"=" in line:
        key, _, value = line.partition(b"=")
        return pad() + key.strip() + pad() + b"=" + pad() + value.strip() + pad()
    if line.strip().startswith(b"["):
        words = line.strip()[1:-1].split()
        return pad() + b"[" + pad() + (b" " + pad()).join(words) + pad() + b"]" + pad()
    return pad() + line + pad()


def classify(line, rng):
    stripped = line.strip()
    if stripped.startswith(b"[") and b"_instance_of_" not in stripped:
        return b"[" + stripped[1:-1].strip() + b" _instance_of_ " + rng.choice([b"Pump", b"PowerSupply", b"X"]) + b"]"
    return line


def to_alias(line, rng):
    if line.strip().startswith(b"dpe="):
        return line.replace(b"dpe=", rng.choice([b"alias=", b"dpe=\t", b"alias= "]), 1)
    return line


def to_node(line, rng):
    if line.strip().startswith(b"dpe=") and b"." in line:
        return line.rsplit(b".", 1)[0]
    return line


def mutate(lines, rng):
    """One random mutation of the line list, in place."""
    i = rng.randrange(len(lines)) if lines else 0
    kind = rng.randrange(11)
    if not lines:
        lines.append(b"[Dev]")
    elif kind == 0:
        del lines[i]
    elif kind == 1:
        lines.insert(i, lines[i])
    elif kind == 2 and i + 1 < len(lines):
        lines[i], lines[i + 1] = lines[i + 1], lines[i]
    elif kind == 3:
        lines[i] = respace(lines[i], rng)
    elif kind == 4:
        lines[i] = classify(lines[i], rng)
    elif kind == 5:
        lines[i] = to_alias(lines[i], rng)
    elif kind == 6:
        lines[i] = to_node(lines[i], rng)
    elif kind == 7:
        pos = rng.randrange(len(lines[i]) + 1)
        lines[i] = lines[i][:pos] + b"\0" + lines[i][pos:]
    elif kind == 8:
        lines[i] = lines[i] + b"x" * rng.choice([200, 5000, 70000])
    elif kind == 9:
        j = rng.randrange(len(lines))
        lines.insert(j, rng.choice([b"#note", b"", b"key=", b"=v", b"[]", b"[A B C]", b"time=", b"value=bool"]))
    else:
        lines[i] = lines[i].replace(b"in/out", rng.choice([b"in", b"out", b"IN", b"inout"]), 1)


def generate(out, count, seed):
    rng = random.Random(seed)
    base = list(sources())
    out.mkdir(parents=True, exist_ok=True)
    manifest = []
    for n in range(count):
        text, dpl = base[n % len(base)]
        lines = text.splitlines()
        for _ in range(rng.choice([1, 1, 2, 3, 6])):
            mutate(lines, rng)
        end = b"\r\n" if rng.random() < 0.15 else b"\n"
        name = f"m{n:05d}.cfg"
        (out / name).write_bytes(end.join(lines) + (end if rng.random() < 0.9 else b""))
        manifest.append([name, str(dpl)])
    (out / "manifest.json").write_text(json.dumps(manifest))
    print(f"{count} configs in {out}")


def run(program, dpl, files, errors_only):
    args = [program, "--format", "json", "--dp-list", dpl] + (["--errors-only"] if errors_only else []) + files
    proc = subprocess.run(args, capture_output=True)
    if proc.returncode not in (0, 1):
        return proc.returncode, {f: proc.stderr.decode(errors="replace") for f in files}
    return proc.returncode, {entry["file"]: entry for entry in json.loads(proc.stdout)["files"]}


def compare(old, new, folder, module_only):
    groups = {}
    for name, dpl in json.loads((folder / "manifest.json").read_text()):
        groups.setdefault(dpl, []).append(str(folder / name))
    differences, compared = 0, 0
    for dpl, files in groups.items():
        for start in range(0, len(files), 200):
            batch = files[start:start + 200]
            for errors_only in (False, True):
                old_rc, old_out = run(old, dpl, batch, errors_only)
                new_rc, new_out = run(new, dpl, batch, errors_only)
                compared += len(batch)
                for f in batch:
                    a, b = old_out.get(f), new_out.get(f)
                    if module_only and isinstance(a, dict) and isinstance(b, dict):
                        a = {k: v for k, v in a.items() if k != "findings"}
                        b = {k: v for k, v in b.items() if k != "findings"}
                    mode = "errors-only" if errors_only else "all"
                    if a != b:
                        differences += 1
                        print(f"DIFF {f} ({mode})")
                        if differences <= 5:
                            print("  old:", json.dumps(a)[:600])
                            print("  new:", json.dumps(b)[:600])
                if old_rc != new_rc:
                    differences += 1
                    print(f"DIFF exit code {old_rc} vs {new_rc} for a batch of {len(batch)} ({mode})")
    print(f"compared {compared} file runs ({compared // 2} files, two modes): {differences} differences")
    return 1 if differences else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest="command", required=True)
    gen = sub.add_parser("generate")
    gen.add_argument("dir", type=pathlib.Path)
    gen.add_argument("--count", type=int, default=3000)
    gen.add_argument("--seed", type=int, default=1)
    cmp_ = sub.add_parser("compare")
    cmp_.add_argument("old")
    cmp_.add_argument("new")
    cmp_.add_argument("dir", type=pathlib.Path)
    cmp_.add_argument("--module-only", action="store_true")
    args = parser.parse_args()
    if args.command == "generate":
        generate(args.dir, args.count, args.seed)
        return 0
    return compare(args.old, args.new, args.dir, args.module_only)


if __name__ == "__main__":
    sys.exit(main())
