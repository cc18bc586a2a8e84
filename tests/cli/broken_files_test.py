#!/usr/bin/env python3
"""orvex-dump --check on the damaged files of tests/data/broken against their expected outputs
(NAME.check.txt: the lines, then "exit status N"), then on all of them at once, as a CI job
checks a folder."""
import os
import subprocess
import sys

dump, source = os.path.abspath(sys.argv[1]), sys.argv[2]
folder = os.path.join(source, "tests", "data", "broken")
names = sorted(n for n in os.listdir(folder) if not n.endswith(".check.txt"))
failures = 0
together = b""
for name in names:
    result = subprocess.run([dump, "--check", name], cwd=folder, capture_output=True)
    got = result.stdout + b"exit status %d\n" % result.returncode
    together += result.stdout
    with open(os.path.join(folder, name + ".check.txt"), "rb") as f:
        expected = f.read()
    if got != expected:
        failures += 1
        print("%s: expected\n%s\ngot\n%s" % (name, expected.decode(), got.decode()))

result = subprocess.run([dump, "--check"] + names, cwd=folder, capture_output=True)
if result.stdout != together or result.returncode != 1:
    failures += 1
    print("all files at once: exit status %d, output differs: %s" %
          (result.returncode, result.stdout != together))
result = subprocess.run([dump, "--check", "faststart.mp4", "no-such-file.mp4"], cwd=folder,
                        capture_output=True)
if result.returncode != 66:
    failures += 1
    print("a missing file: exit status %d, not 66" % result.returncode)
print("%d files, %d failures" % (len(names), failures))
sys.exit(1 if failures else 0)
