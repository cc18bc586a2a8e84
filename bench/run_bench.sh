#!/usr/bin/env bash
# Times orvex-dump, ffprobe and AtomicParsley on large synthetic MP4 files: whole process,
# wall time and peak resident memory, best of several runs on a warm page cache.
#
#   bench/run_bench.sh [ORVEX_DUMP_ARGUMENT...]
#
# Arguments are passed to orvex-dump before the file name. The environment may set
#   ORVEX_BENCH_DIR      where the generated files are kept between runs
#                        (default: $TMPDIR/orvex-bench, or /tmp/orvex-bench)
#   ORVEX_BENCH_SAMPLES  samples per track, one file each (default: "10000 100000 1000000")
#   ORVEX_BENCH_RUNS     runs per tool and file, the best counts (default: 3)
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$repo/build-bench"
data="${ORVEX_BENCH_DIR:-${TMPDIR:-/tmp}/orvex-bench}"
read -r -a sample_counts <<< "${ORVEX_BENCH_SAMPLES:-10000 100000 1000000}"
runs="${ORVEX_BENCH_RUNS:-3}"
dump_args=("$@")
generator="$repo/bench/make_synthetic_mp4.py"

# Targets for the file with 10^6 samples per track, and for the growth from 10^5 to 10^6.
target_seconds=3
target_mb=1200
target_growth=12

[[ -x /usr/bin/time ]] || { echo "run_bench.sh: GNU time (/usr/bin/time) is needed" >&2; exit 1; }

echo "Building orvex-dump (Release) in $build" >&2
mkdir -p "$build"
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEX_BUILD_TESTS=OFF \
    > "$build/configure.log" 2>&1 || { cat "$build/configure.log" >&2; exit 1; }
ninja -C "$build" -j2 orvex-dump >&2
dump="$build/orvex-dump"

mkdir -p "$data"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

media_file() {
    local file="$data/synthetic-$1.mp4"
    # A changed generator makes new files.
    if [[ ! -f "$file" || "$generator" -nt "$file" ]]; then
        echo "Generating $file" >&2
        python3 "$generator" --samples "$1" --output "$file.part" >&2
        mv "$file.part" "$file"
    fi
    echo "$file"
}

# Runs a command $runs times; prints "SECONDS PEAK_KB STATUS": the least wall time and the
# least peak memory of the runs. Peak memory is GNU time's %M. Its %e has a resolution of
# 10 ms, too coarse for the small files, so the wall time is read from bash's microsecond
# clock around the same run; that adds the start of /usr/bin/time itself, about 1 ms.
measure() {
    local best_seconds="" best_kb="" status=0 run start end elapsed kb coarse
    for ((run = 0; run < runs; run++)); do
        start=$EPOCHREALTIME
        if /usr/bin/time -o "$scratch/time" -f "%e %M" "$@" > /dev/null 2> "$scratch/stderr"; then
            :
        else
            status=$?
        fi
        end=$EPOCHREALTIME
        read -r coarse kb < <(tail -n 1 "$scratch/time")
        elapsed=$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f", e - s }')
        if [[ -z "$best_seconds" ]] || awk -v a="$elapsed" -v b="$best_seconds" 'BEGIN { exit !(a < b) }'; then
            best_seconds=$elapsed
        fi
        if [[ -z "$best_kb" || "$kb" -lt "$best_kb" ]]; then
            best_kb=$kb
        fi
    done
    if ((status != 0)); then
        echo "  $* exited with status $status: $(head -c 300 "$scratch/stderr")" >&2
    fi
    echo "$best_seconds $best_kb $status"
}

declare -A seconds peak_kb
tools=(orvex-dump ffprobe AtomicParsley)
failed=0
rows=()
for n in "${sample_counts[@]}"; do
    file=$(media_file "$n")
    for tool in "${tools[@]}"; do
        case $tool in
            orvex-dump)    command=("$dump" "${dump_args[@]}" "$file") ;;
            ffprobe)       command=(ffprobe -v error -show_streams "$file") ;;
            AtomicParsley) command=(AtomicParsley "$file" -T) ;;
        esac
        if ! command -v "${command[0]}" > /dev/null; then
            rows+=("$(printf '%-14s %9s %10s %9s' "$tool" "$n" "missing" "-")")
            continue
        fi
        echo "Timing $tool on N=$n" >&2
        read -r s kb status < <(measure "${command[@]}")
        seconds[$tool,$n]=$s
        peak_kb[$tool,$n]=$kb
        note=""
        if ((status != 0)); then
            note="  exit status $status"
            [[ $tool == orvex-dump ]] && failed=1
        fi
        rows+=("$(printf '%-14s %9s %10s %9.1f%s' "$tool" "$n" "$s" "$(awk -v k="$kb" 'BEGIN { print k / 1024 }')" "$note")")
    done
done

echo
echo "orvex-dump $(git -C "$repo" describe --always --dirty 2>/dev/null || echo '?') ${dump_args[*]:-}"
echo "best of $runs runs; two tracks of N samples each"
echo
printf '%-14s %9s %10s %9s\n' tool N seconds "peak MB"
printf '%s\n' "${rows[@]}"

small=100000 big=1000000
if [[ -n "${seconds[orvex-dump,$small]:-}" && -n "${seconds[orvex-dump,$big]:-}" ]]; then
    echo
    awk -v t1="${seconds[orvex-dump,$small]}" -v t2="${seconds[orvex-dump,$big]}" \
        -v m1="${peak_kb[orvex-dump,$small]}" -v m2="${peak_kb[orvex-dump,$big]}" \
        -v ts="$target_seconds" -v tm="$target_mb" -v tg="$target_growth" 'BEGIN {
        growth = t1 > 0 ? t2 / t1 : 0
        printf "orvex-dump N=10^5 -> 10^6: time x%.1f, peak memory x%.1f\n", growth, m2 / m1
        printf "targets at N=10^6: %.3f s < %d s %s; %.1f MB < %d MB %s; time growth x%.1f <= %d %s\n",
            t2, ts, (t2 < ts ? "met" : "MISSED"), m2 / 1024, tm, (m2 / 1024 < tm ? "met" : "MISSED"),
            growth, tg, (growth <= tg ? "met" : "MISSED")
    }'
fi
exit $failed
