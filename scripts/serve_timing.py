#!/usr/bin/env python3
"""Measures lumra serve with its own timing (--timing): from an edit's request to
the first refined picture, the full slot's pass, and how long an edit waits for the
render it stops. Medians over many edits, on the machine's cores.

    scripts/serve_timing.py [LUMRA] [--edits N] [--threads T]
"""
import argparse
import http.client
import json
import os
import tempfile
import re
import statistics
import subprocess
import threading
import time

parser = argparse.ArgumentParser()
parser.add_argument("lumra", nargs="?", default="build/release/lumra/lumra")
parser.add_argument("--edits", type=int, default=40)
parser.add_argument("--threads", type=int, default=2)
args = parser.parse_args()

server = subprocess.Popen(
    [args.lumra, "serve", "--port", "0", "--timing", "--threads", str(args.threads)], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
address = server.stdout.readline()
match = re.search(r"http://([^/]+)/\?token=(\w+)", address)
host, token = match.group(1), match.group(2)
lines = []
lock = threading.Lock()


def read_timing():
    for line in server.stderr:
        with lock:
            lines.append(line.strip())


threading.Thread(target=read_timing, daemon=True).start()
connection = http.client.HTTPConnection(host)


def edit(control, value):
    connection.request("POST", "/api/edit", json.dumps({"control": control, "value": value}),
                       {"X-Lumra-Token": token, "Content-Type": "application/json"})
    reply = connection.getresponse()
    body = reply.read()
    assert reply.status == 200, body
    return json.loads(body)["generation"]


def taken():
    with lock:
        out = list(lines)
        lines.clear()
    return out


def series(control, values, pause):
    """Edits one after another; the timing lines of the edits' pictures."""
    taken()
    generations = []
    for v in values:
        generations.append(edit(control, v))
        time.sleep(pause)
    time.sleep(1.0)
    return generations, taken()


def pictures(out, generations, size):
    """Per generation, (ms after the change, pass ms) of its picture of that size."""
    found = {}
    for line in out:
        m = re.match(r"timing: generation (\d+) (\d+)px ([\d.]+) ms after the change \(pass ([\d.]+) ms\)", line)
        if m and int(m.group(2)) == size and int(m.group(1)) in generations:
            found.setdefault(int(m.group(1)), (float(m.group(3)), float(m.group(4))))
    return list(found.values())


def stops(out):
    return [float(m.group(1)) for m in (re.match(r"timing: render stopped in ([\d.]+) ms", l) for l in out) if m]


n = args.edits
rows = []
# The default material: its diffuse multiplier edited.
gens, out = series(1042, [0.5 + 0.01 * (i % 20) for i in range(n)], 0.35)
first = pictures(out, gens, 64)
rows.append(("default material: edit to first picture (64 px)", statistics.median(p[0] for p in first), len(first)))
full = pictures(out, gens, 256)
rows.append(("default material: 256 px pass", statistics.median(p[1] for p in full), len(full)))
# A glossy TRGGX material.
edit(1054, 1.0)
edit(1013, 4)
# Long enough apart for every render to finish.
gens, out = series(1073, [0.6 + 0.01 * (i % 20) for i in range(max(8, n // 3))], 2.0)
first = pictures(out, gens, 64)
rows.append(("glossy TRGGX: edit to first picture (64 px)", statistics.median(p[0] for p in first), len(first)))
full = pictures(out, gens, 256)
rows.append(("glossy TRGGX: 256 px pass (full slot)", statistics.median(p[1] for p in full), len(full)))
rows.append(("glossy TRGGX: edit to full 256 px picture", statistics.median(p[0] for p in full), len(full)))
# Edits during renders: each stops the one before.
gens, out = series(1073, [0.6 + 0.01 * (i % 20) for i in range(n)], 0.12)
s = stops(out)
rows.append(("glossy TRGGX: an edit stops the render in", statistics.median(s), len(s)))
rows.append(("glossy TRGGX: the slowest stop", max(s), len(s)))
glossy_pass = rows[3][1]
rows.append(("glossy TRGGX: one 256 px row of one render thread, for comparison",
             glossy_pass / 256 * args.threads, 0))

server.send_signal(2)
server.wait()
# The same slot as lumra render renders it, beside the server's.
cli = []
picture = tempfile.mktemp(suffix=".png")
for _ in range(3):
    out = subprocess.run([args.lumra, "render", "--set", "mtl_reflect_mult=1", "--set",
                          "mtl_reflect_brdf=TRGGX", "--set", "mtl_refl_gloss=0.6", "--threads",
                          str(args.threads), "-o", picture], capture_output=True, text=True)
    m = re.search(r"([\d.]+) s", out.stdout)
    if m:
        cli.append(float(m.group(1)) * 1000)
if os.path.exists(picture):
    os.remove(picture)
if cli:
    rows.append(("glossy TRGGX: lumra render of the same slot, same threads", statistics.median(cli), len(cli)))
print(f"| measured ({args.threads} render threads) | median ms | edits |")
print("|---|---|---|")
for name, value, count in rows:
    print(f"| {name} | {value:.2f} | {count} |")
