#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang under AddressSanitizer and UndefinedBehaviorSanitizer
# (float-cast-overflow included) and runs each one, one process at a time, for a fixed time.
#
#   bash scripts/fuzz.sh            # 30 s per target (CI)
#   bash scripts/fuzz.sh 600        # 600 s per target
#   bash scripts/fuzz.sh --long     # an hour per target
#   bash scripts/fuzz.sh 60 icon    # only the targets named (bmp, icon, settings_file, options_flight, replay)
#
# Each run starts from the committed seeds in fuzz/corpus/<target>/ plus what earlier runs found, kept in
# build-fuzz/corpus/<target>/. A failure stops the script; the input that caused it is left in
# build-fuzz/artifacts/ and can be replayed with: build-fuzz/fuzz/fuzz_<target> <that file>
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=30
if [ "${1:-}" = "--long" ]; then
  seconds=3600
  shift
elif [[ "${1:-}" =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(bmp icon settings_file options_flight replay)
fi

# clang and libFuzzer's runtime, only when missing.
packages=(clang libclang-rt-14-dev cmake ninja-build pkg-config)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  echo "Installing: ${missing[*]}"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRAVOLINEX_FUZZ=ON \
  -DDRAVOLINEX_DESKTOP=OFF -DDRAVOLINEX_TESTS=OFF -DDRAVOLINEX_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j 2 --target "${targets[@]/#/fuzz_}"

mkdir -p build-fuzz/artifacts
# The settings file trial writes its files here (in memory when possible) and the directory goes at the end.
DRAVOLINEX_FUZZ_DIR=$(mktemp -d -p "$( [ -d /dev/shm ] && echo /dev/shm || echo /tmp )" dravolinex-fuzz-XXXXXX)
export DRAVOLINEX_FUZZ_DIR
trap 'rm -rf "$DRAVOLINEX_FUZZ_DIR"' EXIT
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in "${targets[@]}"; do
  corpus=build-fuzz/corpus/$target
  mkdir -p "$corpus"
  echo "== fuzz_$target for ${seconds} s"
  # -timeout: one trial longer than 10 s counts as a hang; new inputs go to $corpus, the seeds stay as committed.
  if ! build-fuzz/fuzz/fuzz_"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix=build-fuzz/artifacts/"$target"- -print_final_stats=1 \
      "$corpus" fuzz/corpus/"$target" 2>&1 | { grep -v -E '^#[0-9]+[[:space:]]+(NEW|REDUCE|pulse)|^[[:space:]]+NEW_FUNC' || true; }; then
    echo "fuzz_$target found a fault; the input is in build-fuzz/artifacts/" >&2
    exit 1
  fi
done
