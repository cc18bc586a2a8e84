#!/usr/bin/env bash
# tools/update-corpus-status.sh [BUILD_DIR]: regenerates tests/data/corpus-status.txt, the
# exit status and warning and error counts of orvex-dump on every real media file, after a
# deliberate change. Builds the check in BUILD_DIR (default: build) and lets it write the list;
# review the difference with git diff before committing it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

build="${1:-$ORVEX_ROOT/build}"
orvex_build "$build" -- cli_CorpusStatus_test orvex-dump
ORVEX_UPDATE_CORPUS_STATUS=1 "$build/tests/cli_CorpusStatus_test"
git -C "$ORVEX_ROOT" diff --stat -- tests/data/corpus-status.txt
