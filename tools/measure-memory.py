#!/usr/bin/env python3
"""Peak memory of orvex-dump on hostile inputs, against the size of its input and output.

    tools/measure-memory.py ORVEX_DUMP [EXTRA_FILE_OR_DIR...]

Writes crafted files (huge counts in every table, a constant 'stsz' of 4 billion samples, an
'stsc' chunk of 2^32-1 samples, five million sample lines, 100,000 nested containers, a million tiny boxes, an 'ftyp' with
a million brands, ...) to a temporary folder, runs orvex-dump on each one and on every extra
file (for example the largest inputs of a fuzzing corpus) under /usr/bin/time, and prints the
peak resident set size beside the input size and the output size, once without --log (the
output is the export) and once with it (export plus log). README.md ("Limits") states the bound
peak <= FIXED + RATIO x (input + output); the ratio column is what each run needs,
max(0, peak - FIXED) / (input + output), and runs that need more than RATIO are marked.
Boxes come from the benchmark generator.
"""

import os
import pathlib
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "bench"))
from make_synthetic_mp4 import (avc1_entry, be32_table, box, dinf, ftyp,  # noqa: E402
                                full_box, hdlr, mdhd, mvhd, tkhd)

HUGE = 0xFFFFFFFF
# The bound stated in README.md.
FIXED = 16 * 2 ** 20
RATIO = 40


def u32(*values):
    return struct.pack(">%dI" % len(values), *values)


def movie(stbl_boxes, extra_moov=(), handler=b"vide", mdat_bytes=4096):
    """ftyp, moov with one video track whose sample table holds `stbl_boxes`, then an mdat."""
    stsd = full_box(b"stsd", 0, 0, u32(1), avc1_entry())
    minf = box(b"minf", full_box(b"vmhd", 0, 1, bytes(8)), dinf(),
               box(b"stbl", stsd, *stbl_boxes))
    trak = box(b"trak", tkhd(1, 1000, False),
               box(b"mdia", mdhd(1000, 1000), hdlr(handler, b"Video"), minf))
    return ftyp() + box(b"moov", mvhd(1000, 2), trak, *extra_moov) + box(b"mdat",
                                                                         bytes(mdat_bytes))


def filled(fourcc, count, entry_bytes, version=0, flags=0, head=b"", budget=60000):
    """A table box declaring `count` entries but holding only what `budget` bytes allow."""
    entries = max(1, budget // entry_bytes)
    body = bytes((i * 7) & 0xFF for i in range(entries * entry_bytes))
    return full_box(fourcc, version, flags, head, u32(count), body)


def table_cases():
    """Each table with a count of 2^32-1: once nearly empty, once with 60 KB of entries."""
    tables = {
        "stts": (8, 0, b""), "ctts": (8, 0, b""), "stsc": (12, 0, b""),
        "stsz": (4, 0, u32(0)), "stco": (4, 0, b""), "co64": (8, 0, b""),
        "stss": (4, 0, b""), "stsh": (8, 0, b""), "stdp": (2, 0, b""),
        "padb": (1, 0, b""), "elst": (12, 0, b""), "sbgp": (8, 0, b"roll"),
        "subs": (6, 0, b""), "sgpd": (4, 0, b"roll"),
    }
    cases = {}
    for name, (entry, version, head) in tables.items():
        for budget, tag in ((entry, "tiny"), (60000, "full")):
            table = filled(name.encode(), HUGE, entry, version, 0, head, budget)
            if name == "elst":
                stbl, extra = [], [box(b"edts", table)]
                data = ftyp() + box(b"moov", mvhd(1000, 2), box(b"trak", tkhd(1, 1, False),
                                                              *extra)) + box(b"mdat", b"")
            else:
                data = movie([table])
            cases[f"count-{name}-{tag}"] = data
    # stz2 with 4-bit fields: the count alone would ask for 2^32 sizes.
    cases["count-stz2-full"] = movie([full_box(b"stz2", 0, 0, u32(4), u32(HUGE),
                                               bytes(60000))])
    # 'stsd' and 'dref' announcing 2^32-1 entries: every following box becomes an entry.
    entries = b"".join(box(b"avc1", bytes(78)) for _ in range(700))
    cases["count-stsd"] = ftyp() + box(b"moov", box(b"trak", box(b"mdia", box(b"minf",
        box(b"stbl", full_box(b"stsd", 0, 0, u32(HUGE), entries))))))
    urls = b"".join(full_box(b"url ", 0, 1) for _ in range(5000))
    cases["count-dref"] = ftyp() + box(b"moov", box(b"dinf",
                                                    full_box(b"dref", 0, 0, u32(HUGE), urls)))
    # Fragments: 'trun' with every optional field, 'tfra' with the widest entries.
    trun = full_box(b"trun", 0, 0xF05, u32(HUGE, 0, 0), bytes(60000))
    cases["count-trun"] = ftyp() + box(b"moof", full_box(b"mfhd", 0, 0, u32(1)),
                                       box(b"traf", full_box(b"tfhd", 0, 0, u32(1)), trun))
    tfra = full_box(b"tfra", 1, 0, u32(1, 0x3F, HUGE), bytes(60000))
    cases["count-tfra"] = ftyp() + box(b"mfra", tfra)
    return cases


def lines_case(samples):
    """One chunk of `samples` one-byte samples, all of them in the 'mdat' at the end."""
    def build(offset):
        return movie([full_box(b"stsc", 0, 0, u32(1, 1, samples, 1)),
                      full_box(b"stsz", 0, 0, u32(1, samples)),
                      full_box(b"stco", 0, 0, u32(1, offset))], mdat_bytes=samples)
    # The 'mdat' payload starts where the file without it ends, plus the 'mdat' header.
    return build(len(build(0)) - samples)


def sample_cases():
    chunks = 15000
    stco = full_box(b"stco", 0, 0, u32(chunks), be32_table(range(1000, 1000 + chunks)))
    return {
        # A constant size: no table at all, but four billion samples to describe.
        "stsz-constant-4G": movie([
            full_box(b"stts", 0, 0, u32(1, HUGE, 1)),
            full_box(b"stsc", 0, 0, u32(1, 1, HUGE, 1)),
            full_box(b"stsz", 0, 0, u32(512, HUGE)), stco]),
        # One chunk of 2^32-1 samples with real sizes for the first ones.
        "stsc-huge-chunk": movie([
            full_box(b"stsc", 0, 0, u32(1, 1, HUGE, 1)),
            full_box(b"stsz", 0, 0, u32(0, HUGE), be32_table(range(1, 15000))),
            full_box(b"stco", 0, 0, u32(1, 0))]),
        # Five million listed samples of one byte in one chunk inside the 'mdat': a line each,
        # as many as the file has bytes.
        "five-million-sample-lines": lines_case(5000000),
        # Many chunks and many 'mdat' boxes: every 'mdat' looks for the chunks inside it.
        "many-chunks-many-mdat": movie([
            full_box(b"stsc", 0, 0, u32(1, 1, 3, 1)),
            full_box(b"stsz", 0, 0, u32(1, HUGE)), stco]) + box(b"mdat", b"") * 5000,
    }


def structure_cases():
    deep = b"\0\0\0\x08free"
    nesting = 100000
    # Sizes are filled in from the inside out.
    sizes = [8 + 8 * (nesting - i) for i in range(nesting)]
    deep = b"".join(struct.pack(">I4s", s, b"moov" if i == 0 else b"trak")
                    for i, s in enumerate(sizes)) + deep
    brands_known = box(b"ftyp", b"isom", u32(0), b"isom3gp4mmp4mp41avc13gp5" * 166667)
    brands_unknown = box(b"ftyp", b"isom", u32(0), b"".join(
        struct.pack(">I", 0x61610000 + i) for i in range(1000000)))
    return {
        "nesting-100000": ftyp() + deep,
        "million-free-boxes": b"\0\0\0\x08free" * 1000000,
        "million-unknown-boxes": b"\0\0\0\x08abcd" * 1000000,
        "million-boxes-in-moov": ftyp() + box(b"moov", b"\0\0\0\x08free" * 1000000),
        "million-empty-type-boxes": b"\0\0\0\x08\0\0\0\0" * 200000,
        "ftyp-million-known-brands": brands_known,
        "ftyp-million-unknown-brands": brands_unknown,
        "moov-million-traks": ftyp() + box(b"moov", b"\0\0\0\x08trak" * 1000000),
        # A run of samples without fields, declaring far more bytes than the file holds.
        "trun-fieldless-beyond-file": struct.pack(">I4s", 0x7FFFFFFF, b"trun") + u32(4, HUGE, 0),
        # The file ends inside the 'moov': the parse fails (3) and nothing is exported, but
        # the records and the trace of every box were made on the way.
        "truncated-moov-million-boxes": ftyp() + struct.pack(">I4s", 0xFFFFFFF0, b"moov")
        + b"\0\0\0\x08free" * 1000000,
        "truncated-moov-empty-types": ftyp() + struct.pack(">I4s", 0xFFFFFFF0, b"moov")
        + b"\0\0\0\x08\0\0\0\0" * 200000,
    }


def measure(dump, path, work, with_log):
    """Peak RSS and the bytes written: the export, and the log when asked for."""
    out, log = work / "out.txt", work / "log.txt"
    args = [dump, "--output", str(out)] + (["--log", str(log)] if with_log else []) + [str(path)]
    started = time.monotonic()
    run = subprocess.run(["/usr/bin/time", "-f", "%M"] + args, stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE, text=True, timeout=600)
    seconds = time.monotonic() - started
    peak_kib = int(run.stderr.strip().splitlines()[-1])
    written = sum(p.stat().st_size for p in (out, log) if p.exists())
    for p in (out, log):
        p.unlink(missing_ok=True)
    return run.returncode, peak_kib * 1024, written, seconds


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    dump = sys.argv[1]
    extras = []
    for arg in sys.argv[2:]:
        p = pathlib.Path(arg)
        extras += sorted(q for q in p.iterdir() if q.is_file()) if p.is_dir() else [p]

    rows = []
    with tempfile.TemporaryDirectory(prefix="orvex-memory-") as tmp:
        work = pathlib.Path(tmp)
        cases = {"empty": b""}
        for group in (table_cases(), sample_cases(), structure_cases()):
            cases.update(group)
        inputs = [(name, data) for name, data in cases.items()] + [(p.name, p) for p in extras]
        for name, source in inputs:
            path = source
            if isinstance(source, bytes):
                path = work / "input"
                path.write_bytes(source)
            status, peak, printed, seconds = measure(dump, path, work, False)
            _, peak_log, printed_log, _ = measure(dump, path, work, True)
            rows.append((name, os.path.getsize(path), printed, peak, printed_log, peak_log,
                         status, seconds))

    print(f"{'input':30} {'in KiB':>8} {'out KiB':>9} {'peak MiB':>8} {'ratio':>6} "
          f"{'+log KiB':>9} {'peak MiB':>8} {'ratio':>6} {'exit':>4} {'s':>6}")
    worst, worst_log = (0.0, ""), (0.0, "")
    for name, size, printed, peak, printed_log, peak_log, status, seconds in rows:
        ratio = max(0, peak - FIXED) / max(1, size + printed)
        ratio_log = max(0, peak_log - FIXED) / max(1, size + printed_log)
        worst = max(worst, (ratio, name))
        worst_log = max(worst_log, (ratio_log, name))
        mark = "  EXCEEDS THE BOUND" if max(ratio, ratio_log) > RATIO else ""
        print(f"{name[:30]:30} {size / 1024:8.1f} {printed / 1024:9.1f} {peak / 2 ** 20:8.1f} "
              f"{ratio:6.2f} {printed_log / 1024:9.1f} {peak_log / 2 ** 20:8.1f} "
              f"{ratio_log:6.2f} {status:4} {seconds:6.2f}{mark}")
    print(f"bound: peak <= {FIXED // 2 ** 20} MiB + {RATIO} x (input + output); worst ratio "
          f"{worst[0]:.2f} without --log ({worst[1]}), {worst_log[0]:.2f} with it "
          f"({worst_log[1]})")
    return 1 if max(worst[0], worst_log[0]) > RATIO else 0


if __name__ == "__main__":
    sys.exit(main())
