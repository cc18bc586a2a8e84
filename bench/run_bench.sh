#!/usr/bin/env bash
# Times orvex-dump (text and JSON) beside Bento4's mp4dump, ffprobe and AtomicParsley on large
# synthetic MP4 files: whole process, wall time and peak resident memory, best of several runs on
# a warm page cache. Prints one table per file and whether orvex-dump meets its targets.
#
#   bench/run_bench.sh [ORVEX_DUMP_ARGUMENT...]
#
# Arguments are passed to orvex-dump before the file name (in both of its runs). The environment
# may set
#   ORVEX_BENCH_DIR      where the generated files are kept between runs
#                        (default: $TMPDIR/orvex-bench, or /tmp/orvex-bench)
#   ORVEX_BENCH_SAMPLES  samples per track, one file each (default: "10000 100000 1000000");
#                        the targets are checked at 1000000 and 10000000
#   ORVEX_BENCH_RUNS     runs per tool and file, the best counts (default: 3)
#   ORVEX_BENCH_DUMP     an orvex-dump to time instead of building one in build-bench/
#   ORVEX_BENCH_MP4DUMP  Bento4's mp4dump (default: mp4dump on PATH)
#   ORVEX_BENCH_LIMIT_MB address space each run may take (default: 12000), so that a tool that
#                        grows without bound fails alone instead of starving a shared machine
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$repo/build-bench"
data="${ORVEX_BENCH_DIR:-${TMPDIR:-/tmp}/orvex-bench}"
read -r -a sample_counts <<< "${ORVEX_BENCH_SAMPLES:-10000 100000 1000000}"
runs="${ORVEX_BENCH_RUNS:-3}"
mp4dump="${ORVEX_BENCH_MP4DUMP:-mp4dump}"
limit_mb="${ORVEX_BENCH_LIMIT_MB:-12000}"
dump_args=("$@")
generator="$repo/bench/make_synthetic_mp4.py"

[[ -x /usr/bin/time ]] || { echo "run_bench.sh: GNU time (/usr/bin/time) is needed" >&2; exit 1; }

dump="${ORVEX_BENCH_DUMP:-}"
if [[ -z "$dump" ]]; then
    echo "Building orvex-dump (Release) in $build" >&2
    mkdir -p "$build"
    cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEX_BUILD_TESTS=OFF \
        > "$build/configure.log" 2>&1 || { cat "$build/configure.log" >&2; exit 1; }
    ninja -C "$build" -j2 orvex-dump >&2
    dump="$build/orvex-dump"
fi

mkdir -p "$data"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

media_file() {  # SAMPLES [FRAGMENTS]
    local file="$data/synthetic-$1${2:+-frag$2}.mp4"
    # A changed generator makes new files.
    if [[ ! -f "$file" || "$generator" -nt "$file" ]]; then
        echo "Generating $file" >&2
        python3 "$generator" --samples "$1" ${2:+--fragments "$2"} --output "$file.part" >&2
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
        if (ulimit -v $((limit_mb * 1024)) && exec /usr/bin/time -o "$scratch/time" -f "%e %M" "$@") \
            > /dev/null 2> "$scratch/stderr"; then
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

# Each tool as it is run on FILE; every one of them but AtomicParsley goes through every sample.
# ffprobe: -show_packets prints one record per sample (reading each sample's bytes on the way);
# AtomicParsley: -T prints the box tree and skips the tables, a floor for reading the file.
tools=(orvex-text orvex-json mp4dump ffprobe AtomicParsley)
tool_command() {
    local file=$2
    case $1 in
        orvex-text)    command=("$dump" "${dump_args[@]}" "$file") ;;
        orvex-json)    command=("$dump" "${dump_args[@]}" --format json "$file") ;;
        mp4dump)       command=("$mp4dump" --verbosity 3 "$file") ;;
        ffprobe)       command=(ffprobe -v quiet -show_packets "$file") ;;
        AtomicParsley) command=(AtomicParsley "$file" -T) ;;
    esac
}

declare -A seconds peak_kb exit_status bytes
m=1000000 g=10000000
failed=0
revision=$(git -C "$repo" describe --always --dirty 2>/dev/null || echo '?')
echo
echo "orvex-dump $revision; best of $runs runs; two tracks of N samples each"
for n in "${sample_counts[@]}"; do
    file=$(media_file "$n")
    rows=()
    for tool in "${tools[@]}"; do
        tool_command "$tool" "$file"
        arguments="${command[*]:1}"
        arguments="${arguments/"$file"/FILE}"
        name=$tool
        [[ $tool == orvex-* ]] && name=orvex-dump
        if ! command -v "${command[0]}" > /dev/null; then
            rows+=("$(printf '%-14s %-34s %9s %9s' "$name" "$arguments" missing -)")
            continue
        fi
        echo "Timing $tool on N=$n" >&2
        read -r s kb status < <(measure "${command[@]}")
        note=""
        exit_status[$tool,$n]=$status
        if ((status != 0)); then
            note="  exit status $status"
            [[ $tool == orvex-* ]] && failed=1
        else
            seconds[$tool,$n]=$s
            peak_kb[$tool,$n]=$kb
        fi
        rows+=("$(printf '%-14s %-34s %9s %9.1f%s' "$name" "$arguments" "$s" \
            "$(awk -v k="$kb" 'BEGIN { print k / 1024 }')" "$note")")
    done
    echo
    echo "N = $n samples per track ($(du -h --apparent-size "$file" | cut -f1) file)"
    printf '%-14s %-34s %9s %9s\n' tool arguments seconds "peak MB"
    printf '%s\n' "${rows[@]}"
done

# The same samples of N=10^6 in 10^5 movie fragments: orvex-dump, and mp4dump as the yardstick
# of what fragments cost a tool that prints every box. The fragmented file's tree has a million
# more boxes, so each export is also counted in bytes, and its speed per byte compared.
fragments=100000
output_bytes() { "$@" 2> /dev/null | wc -c; }
if [[ " ${sample_counts[*]} " == *" 1000000 "* ]]; then
    file=$(media_file 1000000 $fragments)
    plain=$(media_file 1000000)
    echo
    echo "N = 1000000 samples per track in $fragments fragments ($(du -h --apparent-size "$file" | cut -f1) file)"
    printf '%-14s %-34s %9s %9s %10s %10s\n' tool arguments seconds "peak MB" "output MB" "unfrag. MB"
    for tool in orvex-text orvex-json mp4dump; do
        tool_command "$tool" "$file"
        if ! command -v "${command[0]}" > /dev/null; then
            printf '%-14s %-34s %9s\n' "$tool" "${command[*]:1}" missing
            continue
        fi
        echo "Timing $tool on the fragmented file" >&2
        read -r s kb status < <(measure "${command[@]}")
        exit_status[$tool,frag]=$status
        ((status == 0)) && seconds[$tool,frag]=$s && peak_kb[$tool,frag]=$kb
        bytes[$tool,frag]=$(output_bytes "${command[@]}")
        arguments="${command[*]:1}"
        tool_command "$tool" "$plain"
        bytes[$tool,$m]=$(output_bytes "${command[@]}")
        name=$tool
        [[ $tool == orvex-* ]] && name=orvex-dump
        printf '%-14s %-34s %9s %9.1f %10.1f %10.1f\n' "$name" "${arguments/"$file"/FILE}" "$s" \
            "$(awk -v k="$kb" 'BEGIN { print k / 1024 }')" \
            "$(awk -v b="${bytes[$tool,frag]}" 'BEGIN { print b / 1e6 }')" \
            "$(awk -v b="${bytes[$tool,$m]}" 'BEGIN { print b / 1e6 }')"
    done
fi

# The targets: PASS, FAIL, or "n/a" when a figure is missing (the file was not run, or the
# tool failed or is not installed).
target() {  # DESCRIPTION VALUE LIMIT [UNIT]
    local verdict
    if [[ -z "$2" ]]; then
        verdict="n/a "
    else
        verdict=$(awk -v v="$2" -v l="$3" 'BEGIN { print (v <= l ? "PASS" : "FAIL") }')
    fi
    printf '  %s  %-52s %10s (at most %s%s)\n' "$verdict" "$1" "${2:--}" "$3" "${4:-}"
}
mb() { [[ -n "${1:-}" ]] && awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }' || true; }
ratio() { [[ -n "${1:-}" && -n "${2:-}" ]] && awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }' || true; }

echo
echo "Targets (a failed target does not fail this script):"
target "text at N=10^6: seconds" "${seconds[orvex-text,$m]:-}" 0.6 " s"
target "text at N=10^6: peak MB" "$(mb "${peak_kb[orvex-text,$m]:-}")" 150 " MB"
target "text at N=10^6: time / mp4dump --verbosity 3" \
    "$(ratio "${seconds[orvex-text,$m]:-}" "${seconds[mp4dump,$m]:-}")" 1.2 x
target "json at N=10^6: seconds" "${seconds[orvex-json,$m]:-}" 0.8 " s"
target "json at N=10^6: peak MB" "$(mb "${peak_kb[orvex-json,$m]:-}")" 150 " MB"
for kind in text json; do
    status=${exit_status[orvex-$kind,$g]:-}
    printf '  %s  %-52s %10s\n' "$([[ -z $status ]] && echo 'n/a ' || { ((status == 0)) && echo PASS || echo FAIL; })" \
        "$kind at N=10^7: completes" "${status:+exit $status}"
    target "$kind at N=10^7: peak MB" "$(mb "${peak_kb[orvex-$kind,$g]:-}")" 1000 " MB"
    target "$kind time N=10^7 / N=10^6" \
        "$(ratio "${seconds[orvex-$kind,$g]:-}" "${seconds[orvex-$kind,$m]:-}")" 12 x
done
for kind in text json; do
    target "$kind fragmented / unfragmented at N=10^6: time" \
        "$(ratio "${seconds[orvex-$kind,frag]:-}" "${seconds[orvex-$kind,$m]:-}")" 1.5 x
done
# Not targets: what the ratio above is made of.
per_byte() {  # TOOL: seconds per output byte, fragmented / unfragmented
    [[ -n "${seconds[$1,frag]:-}" && -n "${seconds[$1,$m]:-}" && -n "${bytes[$1,frag]:-}" ]] &&
        awk -v a="${seconds[$1,frag]}" -v b="${seconds[$1,$m]}" -v x="${bytes[$1,frag]}" \
            -v y="${bytes[$1,$m]}" 'BEGIN { printf "%.2f", (a / x) / (b / y) }' || true
}
echo
echo "Fragmented / unfragmented at N=10^6 (figures, not targets):"
for tool in orvex-text orvex-json mp4dump; do
    printf '  %-12s time %6sx   output %6sx   time per output byte %6sx\n' "$tool" \
        "$(ratio "${seconds[$tool,frag]:-}" "${seconds[$tool,$m]:-}")" \
        "$(ratio "${bytes[$tool,frag]:-}" "${bytes[$tool,$m]:-}")" "$(per_byte "$tool")"
done
exit $failed
