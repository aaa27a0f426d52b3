#!/usr/bin/env python3
"""The language server's memory for one large document: opens a generated document of SIZE MB,
shrinks it to one block with a ranged change, closes it, and prints the server's resident memory
(VmRSS) and peak (VmHWM) after each step, with their ratio to the document's size.

    bench/lsp/lsp_memory.py build/cli/quorlin-validate 50 [--no-findings]

Every block names a data point that the generated DP list lacks, so each carries a finding;
with --no-findings every block names one that it has."""
import argparse, json, os, subprocess, sys, tempfile, time

BLOCK = "[PS{0}]\ndpe=PS{1}.voltage\nproperty=Voltage\ndirection=in/out\nvalue=float\n\n"
DP_LIST = """# DpType
TypeName
PowerSupply.PowerSupply\t1#1
\tvoltage\t22#2

# Datapoint/DpId
DpName\tTypeName\tID
PS1\tPowerSupply\t1001
"""


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("exe")
    ap.add_argument("size_mb", type=int)
    ap.add_argument("--no-findings", action="store_true")
    args = ap.parse_args()

    parts, total, count = [], 0, 0
    while total < args.size_mb << 20:
        block = BLOCK.format(count, 1 if args.no_findings else count)
        parts.append(block)
        total += len(block)
        count += 1
    text = "".join(parts)
    del parts

    folder = tempfile.mkdtemp(prefix="quorlin-lsp-memory-")
    dp_list = os.path.join(folder, "plant.dpl")
    with open(dp_list, "w") as f:
        f.write(DP_LIST)
    server = subprocess.Popen([args.exe, "--lsp"], stdin=subprocess.PIPE, stdout=subprocess.PIPE)

    def send(message):
        body = json.dumps(message).encode()
        server.stdin.write(b"Content-Length: %d\r\n\r\n" % len(body) + body)
        server.stdin.flush()

    def receive():
        header = b""
        while not header.endswith(b"\r\n\r\n"):
            byte = server.stdout.read(1)
            if not byte:
                sys.exit("the server ended")
            header += byte
        length = int(header.split(b":")[1].split(b"\r")[0])
        return json.loads(server.stdout.read(length))

    def published():
        while True:
            message = receive()
            if message.get("method") == "textDocument/publishDiagnostics":
                return len(message["params"]["diagnostics"])

    def memory(step, started):
        fields = dict(line.split(":", 1) for line in open("/proc/%d/status" % server.pid))
        rss, peak = (int(fields[k].split()[0]) for k in ("VmRSS", "VmHWM"))
        print("%-22s %7.1f s  rss %7.1f MB (%4.1fx)  peak %7.1f MB (%4.1fx)" %
              (step, time.time() - started, rss / 1024, rss * 1024 / len(text), peak / 1024,
               peak * 1024 / len(text)))

    send({"jsonrpc": "2.0", "id": 1, "method": "initialize",
          "params": {"initializationOptions": {"dpLists": [dp_list]}}})
    receive()
    send({"jsonrpc": "2.0", "method": "initialized", "params": {}})
    print("document: %.1f MB, %d blocks, %s" %
          (len(text) / 2**20, count, "no findings" if args.no_findings else "a finding each"))
    memory("started", time.time())
    uri = "file://" + os.path.join(folder, "doc.cfg")
    started = time.time()
    send({"jsonrpc": "2.0", "method": "textDocument/didOpen",
          "params": {"textDocument": {"uri": uri, "version": 1, "text": text}}})
    diagnostics = published()
    memory("opened (%d found)" % diagnostics, started)
    started = time.time()
    shrink = {"range": {"start": {"line": 6, "character": 0},
                        "end": {"line": 10**9, "character": 0}}, "text": ""}
    send({"jsonrpc": "2.0", "method": "textDocument/didChange",
          "params": {"textDocument": {"uri": uri, "version": 2}, "contentChanges": [shrink]}})
    published()
    memory("shrunk to one block", started)
    started = time.time()
    send({"jsonrpc": "2.0", "method": "textDocument/didClose",
          "params": {"textDocument": {"uri": uri}}})
    published()
    time.sleep(0.5)
    memory("closed", started)
    server.stdin.close()
    server.wait()
    os.remove(dp_list)
    os.rmdir(folder)


if __name__ == "__main__":
    main()
