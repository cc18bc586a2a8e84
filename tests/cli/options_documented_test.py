#!/usr/bin/env python3
"""Every option orvex-dump's --help lists is in its man page and its bash completion, and
nothing more: an option added to one of the three and not the others fails here.

    options_documented_test.py ORVEX_DUMP SOURCE_DIR
"""
import re
import subprocess
import sys

dump, source = sys.argv[1], sys.argv[2]
options = lambda text: set(re.findall(r"--[a-z][a-z-]+", text))
usage = options(subprocess.run([dump, "--help"], capture_output=True, text=True, check=True).stdout)
with open(f"{source}/docs/man/orvex-dump.1", encoding="utf-8") as f:
    man = options(f.read().replace("\\-", "-"))
with open(f"{source}/resources/completion/orvex-dump", encoding="utf-8") as f:
    completion = options(f.read())
failed = False
for name, found in (("man page", man), ("bash completion", completion)):
    if found != usage:
        print(f"{name}: missing {sorted(usage - found)}, not in --help {sorted(found - usage)}")
        failed = True
sys.exit(1 if failed else 0)
