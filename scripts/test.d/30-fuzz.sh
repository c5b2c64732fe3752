#!/usr/bin/env bash
# Fuzzes every reader of outside data for a short fixed time each (CANTREL_FUZZ_SECONDS, default 5), from
# its seed corpus alone: libFuzzer targets built with clang, AddressSanitizer and UndefinedBehaviorSanitizer
# in build-fuzz (see scripts/fuzz-long). A finding fails the step and leaves the input that caused it in
# build-fuzz/fuzz-run/<target>/.
set -euo pipefail
cd "$(dirname "$0")/../.."

CANTREL_FUZZ_DIR=build-fuzz/fuzz-run CANTREL_FUZZ_FRESH=1 scripts/fuzz-long "${CANTREL_FUZZ_SECONDS:-5}"
