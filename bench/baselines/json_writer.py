#!/usr/bin/env python3
"""What a user would write instead of the validator's JSON output: read the same blocks as
dict_reader.py and write them as the same JSON document (every attribute of every block as text,
ok flag and error, two spaces of indent), without checking anything.
"""
import json
import sys

from dict_reader import read_blocks

# Result key of each attribute, and the config key it is read from.
FIELDS = [("class", "class"), ("device", "device"), ("property", "property"),
          ("alias", "alias"), ("dpe", "dpe"), ("direction", "direction"),
          ("valueType", "value"), ("timeType", "time")]


def checked(text):
    return {"text": text, "ok": True, "error": ""}


def file_json(path):
    blocks, lines = read_blocks(path)
    ends = [block["line"] - 1 for block in blocks[1:]] + [lines]
    out = []
    for block, end in zip(blocks, ends):
        entry = {key: checked(block.get(source, "")) for key, source in FIELDS}
        entry["lineNo"] = checked(f"{block['line']}...{end}")
        entry["syntax"] = ""
        out.append(entry)
    return {"file": path, "result": 0, "errMsg": "", "comment": "", "blocks": out,
            "findings": []}


def main():
    if len(sys.argv) != 2:
        print("usage: json_writer.py CONFIG", file=sys.stderr)
        return 2
    # One text written at once: json.dump would write every piece on its own, about ten times
    # slower.
    document = {"module": "316000", "files": [file_json(sys.argv[1])]}
    sys.stdout.write(json.dumps(document, indent=2, ensure_ascii=False) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
