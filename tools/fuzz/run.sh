#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under AddressSanitizer + UndefinedBehaviorSanitizer in their
# own build folder and runs each for SECONDS (default 30): the reply path (fuzz_reply), the
# screen-file reader (fuzz_screenfile) and the account file (fuzz_accounts). Exits non-zero when any
# of them finds a crash, a sanitizer report or an answer its model disagrees with; the input that did
# it is left in the build folder as crash-* (or leak-*, timeout-*).
#   usage: tools/fuzz/run.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-30}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_reply fuzz_screenfile fuzz_accounts)
dir=${FC_FUZZ_BUILD_DIR:-build-fuzz}

CC=clang CXX=clang++ cmake -S . -B "$dir" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DFC_FUZZ=ON -DFC_BUILD_TESTS=OFF -DFC_BUILD_BENCH=OFF >/dev/null
cmake --build "$dir" --target "${targets[@]}" -j"$(nproc)"

# Seeds, one folder per target.
seed() {  # seed TARGET NAME BYTES(printf format)
  mkdir -p "$dir/corpus-$1"
  printf "$3" >"$dir/corpus-$1/seed-$2"
}
# fuzz_reply: request selector, register count, then a reply as it comes off the line.
seed fuzz_reply read '\x00\x02\x00\x03\x04\x00\x0a\xff\xff\xcb\x41'
seed fuzz_reply write-single '\x01\x01\x00\x06\x00\x95\x01\x02\x18\x66'
seed fuzz_reply write-multiple '\x02\x02\x00\x10\x00\x95\x00\x02\x50\x35'
seed fuzz_reply exception '\x00\x02\x00\x83\x02\x91\x31'
# fuzz_screenfile: a screen file as the program writes it, and one with odd lines.
seed fuzz_screenfile saved '3,1200,1440,0\r\n5,0,-15,2\r\n20,1234.5,60,1\r\n'
seed fuzz_screenfile odd '3,1200\r\n1440,0\r\n\r\nx,1,2,3\r\n7,1e3,2,0'
# fuzz_accounts: role and name hash to look for, then the default account file.
seed fuzz_accounts defaults '\x03\x00\x5c\x7a\x30\x21\x00\x00\x00\x00\x00\x00\x04\x00\x00\x00\xc1\x52\x00\x00\x69\x5f\x00\x00\x01\x00\x00\x00\x02\x53\x00\x00\xc3\x57\x00\x00\x02\x00\x00\x00\x5c\x7a\x00\x00\x92\x53\x00\x00\x03\x00\x00\x00'
seed fuzz_accounts partial-tail '\x02\x00\x00\x00\x5c\x7a\x00\x00\x92\x53\x00\x00\x03\x00\x00\x00\x01\x02\x03'

export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
status=0
for t in "${targets[@]}"; do
  echo "== $t for $seconds s"
  case $t in
    fuzz_accounts) max_len=4100 ;;     # 341 records and a partial one
    fuzz_screenfile) max_len=4096 ;;
    *) max_len=300 ;;                  # more than the 257-byte receive buffer
  esac
  # The account fuzzer writes and syncs a real file on every run: on a memory file system that costs
  # nothing, so it gets through far more inputs.
  tmp=${TMPDIR:-/tmp}
  [ "$t" = fuzz_accounts ] && [ -d /dev/shm ] && [ -w /dev/shm ] && tmp=/dev/shm
  if ! TMPDIR=$tmp "$dir/bin/$t" -max_total_time="$seconds" -max_len="$max_len" -print_final_stats=1 \
      -artifact_prefix="$dir/$t-" "$dir/corpus-$t"; then
    echo "!! $t failed"
    status=1
  fi
done
exit $status
