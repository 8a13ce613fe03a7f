#!/usr/bin/env bash
# Builds the reply fuzzer with clang under AddressSanitizer + UndefinedBehaviorSanitizer in its own
# build folder and runs it for SECONDS (default 60). Exits non-zero when it finds a crash, a
# sanitizer report or a MessageReady for bytes that are not an intact reply.
#   usage: tools/fuzz/run.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-60}
dir=${FC_FUZZ_BUILD_DIR:-build-fuzz}

CC=clang CXX=clang++ cmake -S . -B "$dir" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DFC_FUZZ=ON -DFC_BUILD_TESTS=OFF -DFC_BUILD_BENCH=OFF >/dev/null
cmake --build "$dir" --target fuzz_reply -j"$(nproc)"

# Seeds: request selector, register count, then a reply as it comes off the line.
corpus="$dir/fuzz-corpus"
mkdir -p "$corpus"
printf '\x00\x02\x00\x03\x04\x00\x0a\xff\xff\xcb\x41' >"$corpus/seed-read"
printf '\x01\x01\x00\x06\x05\x45\x01\x02\x19\x53' >"$corpus/seed-write-single"
printf '\x02\x02\x00\x10\x00\x63\x00\x02\xb0\x07' >"$corpus/seed-write-multiple"
printf '\x00\x02\x00\x83\x02\x91\x31' >"$corpus/seed-exception"

export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
exec "$dir/bin/fuzz_reply" -max_total_time="$seconds" -max_len=300 -print_final_stats=1 \
  -artifact_prefix="$dir/" "$corpus"
