#!/usr/bin/env bash
# Rewrites the expected whole-tree exports under tests/data/expected (the full box set) and
# tests/data/expected-classic (--classic) from what orvex-dump prints now. Run it only after a
# deliberate change of the output, and read the diff before committing: the classic exports
# must not change at all.
#
#   tools/update-expected-exports.sh [ORVEX_DUMP]
#
# ORVEX_DUMP defaults to build/orvex-dump. Each expected file names its media file on its first
# line ("Parsed File Name : NAME", NAME relative to tests/data). Every media file in tests/data
# gets its flat export, <NAME>.txt, so a new file there gets its expectation with the next run;
# the files named in `indented` below also get the --indent form, <NAME>.indented.txt. Dates are
# printed in local time, so orvex-dump runs with TZ=UTC, as the test does. A media segment
# X_segment.m4s beside its init segment X_init.m4s also gets <NAME>.with-init.txt, the export
# of orvex-dump --init X_init.m4s X_segment.m4s.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dump="$(realpath "${1:-$root/build/orvex-dump}")"
data="$root/tests/data"
[ -x "$dump" ] || {
    echo "update-expected-exports: no orvex-dump at $dump (build it, or pass its path)" >&2
    exit 1
}
# regenerate NAME [OPTION...] OUT: one export, written only when orvex-dump succeeds.
regenerate() {
    local name="$1" out="${*: -1}" options=("${@:2:$#-2}")
    local tmp
    tmp="$(mktemp)"
    if ! (cd "$data" && TZ=UTC "$dump" "${options[@]}" "$name" >"$tmp"); then
        rm -f "$tmp"
        echo "update-expected-exports: orvex-dump failed on $name" >&2
        exit 1
    fi
    mv "$tmp" "$out"
    chmod 644 "$out"
    echo "wrote ${out#"$root"/}"
}

shopt -s nullglob
indented=(h263_amr.3gp)
for folder in expected expected-classic; do
    options=()
    [ "$folder" = expected-classic ] && options=(--classic)
    mkdir -p "$data/$folder"
    for media in "$data"/*.mp4 "$data"/*.m4s "$data"/*.3gp "$data"/*.avif "$data"/*.heic; do
        name="$(basename "$media")"
        regenerate "$name" "${options[@]}" "$data/$folder/$name.txt"
    done
    for media in "$data"/*_segment.m4s; do
        name="$(basename "$media")"
        init="${name%_segment.m4s}_init.m4s"
        [ -f "$data/$init" ] || continue
        regenerate "$name" "${options[@]}" --init "$init" "$data/$folder/$name.with-init.txt"
    done
    for name in "${indented[@]}"; do
        regenerate "$name" "${options[@]}" --indent "$data/$folder/$name.indented.txt"
    done
done
