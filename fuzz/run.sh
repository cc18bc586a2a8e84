#!/usr/bin/env bash
# fuzz/run.sh [SECONDS] [BUILD_DIR]: fuzzes orvex-dump's whole path for SECONDS (default 3600)
# on one core. The corpus grows in BUILD_DIR/fuzz-corpus, seeded with the test media and the
# third-party conformance files; crashes, hangs, leaks and out-of-memory inputs land in
# BUILD_DIR/fuzz-artifacts. A slow input (10 s), one that needs 2 GiB in all or 512 MiB at once
# (inputs are at most 64 KiB) counts as a finding.
# Each finding, once fixed, goes to tests/data/regressions so that the tests replay it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-3600}"
build="${2:-$root/build-fuzz}"
fuzzer="$build/fuzz/orvex_dump_fuzzer"
[[ -x "$fuzzer" ]] || "$root/fuzz/build.sh" "$build"

corpus="$build/fuzz-corpus"
artifacts="$build/fuzz-artifacts"
mkdir -p "$corpus" "$artifacts"
seeds=("$root/tests/data" "$root/tests/data/regressions")
[[ -d "$root/../shared/conformance/mp4parse-rust" ]] && seeds+=("$root/../shared/conformance/mp4parse-rust")

cd "$build"
exec "$fuzzer" "$corpus" "${seeds[@]}" \
    -dict="$root/fuzz/boxes.dict" -max_len=65536 -rss_limit_mb=2048 -malloc_limit_mb=512 \
    -timeout=10 -max_total_time="$seconds" -jobs=1 -workers=1 -print_final_stats=1 \
    -artifact_prefix="$artifacts/"
