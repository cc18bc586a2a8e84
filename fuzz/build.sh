#!/usr/bin/env bash
# fuzz/build.sh [BUILD_DIR]: builds the libFuzzer targets with clang-14, AddressSanitizer and
# UBSan in a build directory of their own (default: build-fuzz beside this folder). The standard
# library checks its own bounds too: an index past a vector's size but within its capacity is
# invisible to AddressSanitizer.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-fuzz}"
CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS=-D_GLIBCXX_ASSERTIONS \
    -DORVEX_FUZZ=ON -DORVEX_BUILD_TESTS=OFF \
    -DORVEX_BUILD_GUI=OFF
ninja -C "$build" -j "${ORVEX_JOBS:-2}" orvex_dump_fuzzer
echo "built $build/fuzz/orvex_dump_fuzzer; run it with fuzz/run.sh"
