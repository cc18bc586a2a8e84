#!/usr/bin/env python3
"""orvex-dump --format json on every corpus file: valid against docs/orvex-json.schema.json,
box offsets in the order of the trace's "processing offset" lines, every typed value equal to the
number its text shows, random access marks on exactly the sample lines and where 'stss' puts
them, and 64-bit sizes exact on a file of more than 4 GiB.
Usage: json_export_test.py ORVEX_DUMP SOURCE_DIR"""
import glob, json, os, re, subprocess, sys, tempfile
import jsonschema

dump, source = sys.argv[1], sys.argv[2]
validator = jsonschema.Draft202012Validator(
    json.load(open(os.path.join(source, 'docs', 'orvex-json.schema.json'))))
failures = []


def export(path, tmp):
    log = os.path.join(tmp, 'log')
    run = subprocess.run([dump, '--format', 'json', '--log', log, path], capture_output=True)
    trace = open(log, 'rb').read() if os.path.exists(log) else b''
    return run.returncode, json.loads(run.stdout.decode('utf-8')), trace


def preorder(nodes):
    for node in nodes:
        if 'type' in node:
            yield node
        yield from preorder(node.get('children', []))


def fields(doc):
    yield from doc['quickInformation']
    for box in preorder(doc['boxes']):
        yield from box['fields']


# The bits a typed item's text shows: the hexadecimal "(0x...)" of numbers, dates, durations and
# fixed points, "XXXXXXh" of flags, a closing ": 0x..." of chunk offsets; or the closing decimal
# "(...)" of composition offsets.
def shown_bits(field):
    text = field['text']
    found = re.search(r'\(0x([0-9A-F]+)\)$', text) or re.match(r'([0-9A-F]{6})h', text) or \
        re.search(r': 0x([0-9A-F]+)$', text)
    if found:
        return int(found.group(1), 16)
    found = re.search(r'\((-?[0-9]+)\)$', text)
    return int(found.group(1)) % 2**64 if found else None


# Per track line under an 'mdat', the numbers (over the track, from 1) of its samples marked as
# random access points, for the tracks where some sample is not one; None when a line other than
# a sample's carries the mark or a sample line lacks it.
def marked_samples(doc):
    tracks = []
    for mdat in (b for b in preorder(doc['boxes']) if b['type'] == 'mdat'):
        for track in mdat.get('children', []):
            if track['line'].startswith('runs from'):  # marked by the fragments' sample flags
                continue
            number, marked, unmarked = 0, [], False
            for chunk in track.get('children', []):
                for line in chunk.get('children', []):
                    if line['line'].startswith('sample #') != ('randomAccess' in line):
                        return None
                    number += 1
                    if line.get('randomAccess'):
                        marked.append(number)
                    elif 'randomAccess' in line:
                        unmarked = True
            if unmarked:
                tracks.append(marked)
    return tracks


def sync_tables(doc):
    return [[int(re.search(r'sample_number : (\d+)', f['text']).group(1))
             for f in box['fields'] if f.get('label', '').startswith('entry ')]
            for box in preorder(doc['boxes']) if box['type'] == 'stss']


def check(path, tmp):
    status, doc, trace = export(path, tmp)
    errors = [e.message for e in validator.iter_errors(doc)][:3]
    if errors:
        return f'not schema-valid: {errors}'
    if status != doc['parse']['result']:
        return f'exit status {status}, parse result {doc["parse"]["result"]}'
    if doc['file']['size'] != os.path.getsize(path):
        return 'file size'
    if status == 0:
        offsets = [box['offset'] for box in preorder(doc['boxes'])]
        traced = [int(x, 16) for x in re.findall(rb'processing offset : 0x([0-9A-F]+)', trace)]
        if offsets != traced[:-1]:  # the last one met the end of the file
            return f'box offsets {offsets[:8]}... differ from the trace {traced[:8]}...'
        with open(path, 'rb') as media:  # version and flags are the four bytes after the header
            for box in (b for b in preorder(doc['boxes']) if 'flags' in b):
                media.seek(box['offset'] + box['headerSize'])
                raw = media.read(4)
                if raw[0] != box['version'] or int.from_bytes(raw[1:], 'big') != box['flags']:
                    return f'{box["type"]} at {box["offset"]}: version and flags {raw.hex()}'
        marks, syncs = marked_samples(doc), sync_tables(doc)
        if marks is None or any(m not in [s[:len(m)] for s in syncs] for m in marks):
            return f'random access marks {marks} are not those of the sync tables {syncs}'
    for field in fields(doc):
        kind, value = field.get('kind'), field.get('value')
        if kind in ('number', 'date', 'duration', 'flags'):
            shown = shown_bits(field)
            if shown is not None and shown != value % 2**64 and kind != 'duration' or \
                    kind == 'duration' and shown != value:
                return f'{field} shows {shown}'
            if kind == 'number' and shown is None and field['text'] != str(value):
                return f'{field}'
        if kind == 'fixed' and (shown_bits(field) != field['raw'] or
                                value != field['raw'] / (65536 if len(field['text'].split('0x')[1]) > 5 else 256)):
            return f'{field}'
    return None


with tempfile.TemporaryDirectory() as tmp:
    data = os.path.join(source, 'tests', 'data')
    inputs = sorted(glob.glob(os.path.join(data, '*.mp4')) + glob.glob(os.path.join(data, '*.3gp')) +
                    glob.glob(os.path.join(data, '*.avif')) + glob.glob(os.path.join(data, '*.heic')) +
                    glob.glob(os.path.join(data, 'regressions', '*.r?')) +
                    glob.glob(os.path.join(source, '..', 'shared', 'conformance', 'mp4parse-rust', '*')))
    for path in inputs:
        failure = check(path, tmp)
        if failure:
            failures.append(f'{os.path.basename(path)}: {failure}')

    # An 'mdat' of more than 4 GiB (a 64-bit size) and chunk offsets beyond 32 bits.
    large = os.path.join(tmp, 'large.mp4')
    subprocess.run([sys.executable, os.path.join(source, 'bench', 'make_synthetic_mp4.py'),
                    '--samples', '10', '--large', '--output', large], check=True, capture_output=True)
    failure = check(large, tmp)
    _, doc, _ = export(large, tmp)
    mdat = [box for box in doc['boxes'] if box['type'] == 'mdat'][0]
    if failure or mdat['headerSize'] != 16 or mdat['offset'] + mdat['size'] != os.path.getsize(large):
        failures.append(f'large file: {failure} {mdat}')
    if 'chunk_offset : 0x11FFFF8EB' not in json.dumps(doc):
        failures.append('large file: the 64-bit chunk offset is not shown')

    # A media segment with its init segment: one object holding both exports, the segment's tree
    # the same boxes as when it is read alone.
    pairs = [(p.replace('_segment.', '_init.'), p) for p in glob.glob(os.path.join(data, '*_segment.m4s'))]
    for init, segment in (p for p in pairs if os.path.exists(p[0])):
        run = subprocess.run([dump, '--format', 'json', '--init', init, segment], capture_output=True)
        doc = json.loads(run.stdout.decode('utf-8'))
        errors = [e.message for e in validator.iter_errors(doc)][:3]
        alone = export(segment, tmp)[1]
        boxes = lambda d: [(b['offset'], b['type']) for b in preorder(d['boxes']) if 'type' in b]
        if errors or run.returncode != 0 or doc['initSegment']['file']['name'] != init or \
                doc['segment']['file']['name'] != segment or boxes(doc['segment']) != boxes(alone):
            failures.append(f'{os.path.basename(segment)} with its init: {errors} {run.returncode}')
        inputs.append(segment)

print(f'{len(inputs) + 1} files checked')
for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
