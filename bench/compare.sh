#!/usr/bin/env bash
# Runs the benchmarks that carry a speed target and prints each as a ratio to its baseline measured in the
# same run (pixman's stretch, a plain fill of the same surface, the flight's own steps), flagging any over
# its target. Medians of several repetitions; exit status 1 when something is over its target.
#   bench/compare.sh [BENCH_EXECUTABLE] [REPETITIONS]
set -u
bench=${1:-build-test/bench/dravolinex_bench}
repetitions=${2:-5}
if [ ! -x "$bench" ]; then
  echo "no benchmark program at $bench (cmake --build build-test --target dravolinex_bench)" >&2
  exit 2
fi

# measured | baseline | target | kind: "ratio" (at most target x the baseline) or "ms" (at most target ms;
# the ratio to the baseline is shown as well). A benchmark this build lacks is reported, not counted.
targets='
BM_StretchCopy/640/480/960/720|BM_PixmanNearestStretch/640/480/960/720|1.00|ratio
BM_StretchCopy/1024/768/1440/1080|BM_PixmanNearestStretch/1024/768/1440/1080|1.00|ratio
BM_StretchCopy/640/480/1280/960|BM_PixmanNearestStretch/640/480/1280/960|1.00|ratio
BM_StretchCopy/640/480/320/240|BM_PixmanNearestStretch/640/480/320/240|1.00|ratio
BM_StretchCopy/640/480/640/480|BM_PixmanNearestStretch/640/480/640/480|1.00|ratio
BM_StretchCopy/1024/768/800/600|BM_PixmanNearestStretch/1024/768/800/600|1.00|ratio
BM_StretchCopy/640/480/1280/720|BM_PixmanNearestStretch/640/480/1280/720|1.00|ratio
BM_HeadlessFlightNoPictures|BM_FlightStepsOnly|2.00|ratio
BM_DrawBackgroundSceneOneCore/1024/768|BM_SceneSizedFill/1024/768|4|ms
BM_DrawBackgroundSceneOneCore/5000/5000|BM_SceneSizedFill/5000/5000|150|ms
BM_DrawBackgroundScene/1024/768|BM_SceneSizedFill/1024/768|-|ms
BM_DrawBackgroundScene/5000/5000|BM_SceneSizedFill/5000/5000|-|ms
'
filter=$(printf '%s\n' "$targets" | awk -F'|' 'NF == 4 { print $1; print $2 }' | sort -u |
         sed 's/^/^/; s/$/(\/real_time)?$/' | paste -sd'|')
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
json=$("$bench" --benchmark_filter="$filter" --benchmark_repetitions="$repetitions" \
        --benchmark_report_aggregates_only=true --benchmark_format=json 2>"$errors") || {
  echo "the benchmark program failed:" >&2
  tail -5 "$errors" >&2
  exit 2
}

# The median of each benchmark from the JSON report (one field a line): its real time when it is timed by the
# wall clock (on every core), else its CPU time, in ns.
printf '%s\n' "$json" | awk -v targets="$targets" '
  function ns(value, unit) { return value * (unit == "ms" ? 1e6 : unit == "us" ? 1e3 : unit == "s" ? 1e9 : 1) }
  function field(line) { sub(/^[^:]*: */, "", line); sub(/,$/, "", line); gsub(/"/, "", line); return line }
  /"run_name":/ { name = field($0) }
  /"aggregate_name":/ { aggregate = field($0) }
  /"real_time":/ { real = field($0) }
  /"cpu_time":/ { cpu = field($0) }
  /"time_unit":/ {
    unit = field($0)
    if (aggregate == "median") {
      wall = sub(/\/real_time$/, "", name)
      time[name] = ns(wall ? real : cpu, unit)
    }
    aggregate = ""
  }
  END {
    printf "%-42s %11s %11s %8s %8s\n", "benchmark", "time ms", "base ms", "ratio", "target"
    n = split(targets, rows, "\n"); over = 0
    for (i = 1; i <= n; i++) {
      if (split(rows[i], f, "|") != 4) continue
      if (!(f[1] in time) || !(f[2] in time)) { printf "%-42s not measured (missing from this build)\n", f[1]; continue }
      t = time[f[1]]; b = time[f[2]]; ratio = t / b
      if (f[3] == "-") { verdict = ""; target = "-" }
      else if (f[4] == "ratio") { verdict = ratio <= f[3] ? "ok" : "OVER"; target = sprintf("%.2fx", f[3]) }
      else { verdict = t / 1e6 <= f[3] ? "ok" : "OVER"; target = f[3] " ms" }
      if (verdict == "OVER") over++
      printf "%-42s %11.3f %11.3f %7.2fx %8s %s\n", f[1], t / 1e6, b / 1e6, ratio, target, verdict
    }
    if (over) printf "%d over target\n", over
    exit over ? 1 : 0
  }'
