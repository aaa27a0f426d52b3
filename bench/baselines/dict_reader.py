#!/usr/bin/env python3
"""What a user would write instead of the validator: read a config file into one dict per block.

Each section header sets the device (and class); each "dpe" line starts a new block, every other
key=value line goes into the block being filled. No check is made. Prints how many blocks and
lines were read.
"""
import sys


def read_blocks(path):
    blocks = []
    block = None
    device = ""
    klass = ""
    lines = 0
    with open(path, encoding="utf-8", errors="surrogateescape") as config:
        for raw in config:
            lines += 1
            line = raw.strip()
            if not line or line.startswith("#"):
                continue
            if line.startswith("[") and line.endswith("]"):
                words = line[1:-1].split()
                device = words[0] if words else ""
                klass = words[2] if len(words) == 3 else ""
                block = None
                continue
            key, _, value = line.partition("=")
            key = key.strip()
            if block is None or key == "dpe":
                block = {"device": device, "class": klass, "line": lines}
                blocks.append(block)
            block[key] = value.strip()
    return blocks, lines


def main():
    if len(sys.argv) != 2:
        print("usage: dict_reader.py CONFIG", file=sys.stderr)
        return 2
    blocks, lines = read_blocks(sys.argv[1])
    print(f"blocks={len(blocks)}\nlines={lines}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
