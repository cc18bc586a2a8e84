#!/usr/bin/env python3
"""Makes the damaged files of tests/data/broken from the real files of tests/data.

Each file is damaged in one known way, so that `orvex-dump --check` has an exact answer for
it. The random bytes come from a fixed seed: running this again gives the same files.
Usage: tools/make-broken-files.py [ORVEX_DUMP]  (with ORVEX_DUMP the expected --check outputs
are written next to the files as NAME.check.txt).
"""
import os
import random
import struct
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = os.path.join(ROOT, "tests", "data")
OUT = os.path.join(DATA, "broken")
CONTAINERS = {b"moov", b"trak", b"mdia", b"minf", b"stbl", b"edts", b"dinf", b"udta"}


def boxes(data, start, end):
    """(offset, size, type) of the boxes between start and end."""
    pos = start
    while pos + 8 <= end:
        size, kind = struct.unpack(">I4s", data[pos:pos + 8])
        if size == 1:
            size = struct.unpack(">Q", data[pos + 8:pos + 16])[0]
        yield pos, size, kind
        pos += size


def find(data, path, start=0, end=None):
    """Offsets of every box at the end of `path` (a list of types), depth first."""
    end = len(data) if end is None else end
    for off, size, kind in boxes(data, start, end):
        if kind != path[0]:
            continue
        if len(path) == 1:
            yield off
        else:
            yield from find(data, path[1:], off + 8, off + size)


def faststart(data):
    """The file with 'moov' moved before 'mdat' and its chunk offsets moved with the data."""
    top = {kind: (off, size) for off, size, kind in boxes(data, 0, len(data))}
    moov_off, moov_size = top[b"moov"]
    mdat_off, _ = top[b"mdat"]
    moov = bytearray(data[moov_off:moov_off + moov_size])
    for stco in find(bytes(moov), [b"moov", b"trak", b"mdia", b"minf", b"stbl", b"stco"]):
        count = struct.unpack(">I", moov[stco + 12:stco + 16])[0]
        for i in range(count):
            at = stco + 16 + 4 * i
            struct.pack_into(">I", moov, at, struct.unpack(">I", moov[at:at + 4])[0] + moov_size)
    return data[:mdat_off] + bytes(moov) + data[mdat_off:moov_off] + data[moov_off + moov_size:]


def first(data, path):
    return next(find(data, path))


def main():
    dump = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else None
    source = open(os.path.join(DATA, "h264_aac.mp4"), "rb").read()
    fast = faststart(source)
    stbl = [b"moov", b"trak", b"mdia", b"minf", b"stbl"]
    files = {"faststart.mp4": fast}

    mdat = first(fast, [b"mdat"])
    files["cut-mdat-5000.mp4"] = fast[:5000]
    files["cut-mdat-late.mp4"] = fast[:len(fast) - 700]
    moov = first(fast, [b"moov"])
    files["cut-moov-early.mp4"] = fast[:moov + 100]
    files["cut-moov-stbl.mp4"] = fast[:first(fast, stbl) + 40]
    files["cut-mdat-no-moov.mp4"] = source[:first(source, [b"mdat"]) + 3000]

    grown = bytearray(fast)  # 'mdat' follows 'moov': the grown 'trak' still ends inside the file
    moov_size = struct.unpack(">I", fast[moov:moov + 4])[0]
    last = list(boxes(fast, moov + 8, moov + moov_size))[-1][0]  # the last child of 'moov'
    struct.pack_into(">I", grown, last, struct.unpack(">I", grown[last:last + 4])[0] + 200)
    files["child-larger-than-parent.mp4"] = bytes(grown)

    stsc = bytearray(source)
    at = first(source, stbl + [b"stsc"])
    count = struct.unpack(">I", stsc[at + 12:at + 16])[0]
    assert count >= 2, "the first track's 'stsc' needs two entries"
    struct.pack_into(">I", stsc, at + 16 + 12, 1)  # the second entry starts at chunk 1 again
    files["stsc-out-of-order.mp4"] = bytes(stsc)

    stts = bytearray(source)
    at = first(source, stbl + [b"stts"])
    samples = struct.unpack(">I", stts[at + 16:at + 20])[0]
    struct.pack_into(">I", stts, at + 16, samples - 3)  # three samples short
    files["stts-short.mp4"] = bytes(stts)

    moved = bytearray(source)
    stcos = list(find(source, [b"moov", b"trak", b"mdia", b"minf", b"stbl", b"stco"]))
    assert len(stcos) >= 2, "two tracks needed"
    other = struct.unpack(">I", source[stcos[1] + 16:stcos[1] + 20])[0]
    struct.pack_into(">I", moved, stcos[0] + 16 + 4, other)  # chunk 2 onto the other's chunk 1
    files["chunk-offset-moved.mp4"] = bytes(moved)

    gap = bytearray(open(os.path.join(DATA, "fragmented.mp4"), "rb").read())
    tfdts = list(find(bytes(gap), [b"moof", b"traf", b"tfdt"]))
    second = tfdts[len(tfdts) // 2]  # the first track's 'tfdt' in the second fragment
    if gap[second + 8] == 1:
        value = struct.unpack(">Q", gap[second + 12:second + 20])[0]
        struct.pack_into(">Q", gap, second + 12, value + 1000)
    else:
        value = struct.unpack(">I", gap[second + 12:second + 16])[0]
        struct.pack_into(">I", gap, second + 12, value + 1000)
    files["tfdt-gap.mp4"] = bytes(gap)

    files["trailing-bytes.mp4"] = source + b"\x00\x01\x02\x03\x04"
    files["matroska.mkv"] = bytes.fromhex("1A45DFA39F4286810142F7810142F2810442F381084282") + \
        b"\x88matroska" + bytes(64)
    packet = b"\x47\x40\x00\x10" + bytes(184)
    files["mpeg-ts.ts"] = packet * 4
    rng = random.Random(15)
    files["random-bytes.bin"] = bytes(rng.getrandbits(8) for _ in range(20000))

    os.makedirs(OUT, exist_ok=True)
    for name, data in sorted(files.items()):
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
        if dump:
            result = subprocess.run([dump, "--check", name], cwd=OUT, capture_output=True)
            with open(os.path.join(OUT, name + ".check.txt"), "wb") as f:
                f.write(result.stdout)
                f.write(b"exit status %d\n" % result.returncode)


if __name__ == "__main__":
    main()
