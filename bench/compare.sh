#!/bin/sh
# Learns the six generated boolean sets at 10^4 to 10^7 examples with
# treebench-bench and, where scikit-learn is installed, with its entropy
# decision tree (bench/peer_fit.py), and prints one Markdown table.
#
#   bench/compare.sh            # the whole run, a few minutes
#   SIZES="10000 100000" CODES="% #" REPEAT=5 PROCESSES=2 bench/compare.sh
#
# Both sides learn from the same CSV file. Times are the best of REPEAT
# (default 3) runs of learn and of fit alone in each of PROCESSES (default 3)
# processes: on this kind of machine one process in ten or so runs a
# mid-sized set half as fast for its whole life, however often it repeats,
# so one process would leave that to luck. Memory is the largest peak
# resident size of those processes, loading included. The peer's peak is given twice: loading
# the file as float64, the usual way, and as float32 (one more fit, whose
# time is not shown).
set -eu
# The concept codes include `*`, which must not match file names.
set -f

here=$(cd "$(dirname "$0")" && pwd)
top=$(dirname "$here")
bench=${TREEBENCH_BENCH:-$top/build/release/treebench-bench}
sizes=${SIZES:-"10000 100000 1000000 10000000"}
codes=${CODES:-"| ^ & # % *"}
repeat=${REPEAT:-3}
processes=${PROCESSES:-3}

if [ ! -x "$bench" ] || [ -z "${TREEBENCH_BENCH:-}" ]; then
  make -C "$top" bench >/dev/null
fi

# The python that has scikit-learn: Debian's package installs it for
# /usr/bin/python3, which need not be the python3 first on PATH.
python=
for candidate in ${PYTHON:-} /usr/bin/python3 python3; do
  if command -v "$candidate" >/dev/null 2>&1 && "$candidate" -c 'import sklearn' 2>/dev/null; then
    python=$candidate
    break
  fi
done
if [ -z "$python" ]; then
  echo "scikit-learn was not found, so only treebench is measured." >&2
  echo "To compare: apt-get install -y python3-sklearn (or set PYTHON to a python that has it)." >&2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/treebench-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

# The value of key=value in a result line.
field() { printf '%s\n' "$2" | tr ' ' '\n' | sed -n "s/^$1=//p"; }

# Runs a measuring command PROCESSES times and prints its result line with
# the least of `time_key` and the largest `peak_rss_mb` of all the runs.
best() {
  time_key=$1
  shift
  kept=
  for _ in $(seq "$processes"); do
    line=$("$@")
    if [ -z "$kept" ]; then
      kept=$line
      continue
    fi
    kept=$(printf '%s\n%s\n' "$kept" "$line" | awk -v key="$time_key" '
      { for (i = 1; i <= NF; i++) { split($i, kv, "="); value[NR, kv[1]] = kv[2] } line[NR] = $0 }
      END {
        first = value[1, key] <= value[2, key] ? 1 : 2
        peak = value[1, "peak_rss_mb"] > value[2, "peak_rss_mb"] ? value[1, "peak_rss_mb"] : value[2, "peak_rss_mb"]
        out = line[first]
        sub(/peak_rss_mb=[^ ]*/, "peak_rss_mb=" peak, out)
        print out
      }')
  done
  printf '%s\n' "$kept"
}

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo 2>/dev/null | head -n 1)
echo "Run of $(date -u '+%Y-%m-%d %H:%M UTC') on $(uname -srm), ${cpu:-unknown CPU}, $(nproc) cores;"
echo "load average at the start: $(cut -d ' ' -f 1-3 /proc/loadavg)."
if [ -n "$python" ]; then
  echo "Peer: scikit-learn $("$python" -c 'import sklearn; print(sklearn.__version__)') DecisionTreeClassifier(criterion=\"entropy\") under $python."
fi
echo
echo "| set | examples | learn s | ns/example | fit s | fit / learn | peak MB | peer peak MB | peer f32 peak MB | nodes | peer nodes |"
echo "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
for code in $codes; do
  for size in $sizes; do
    csv=$work/set.csv
    "$bench" --generate "$code" "$size" --seed 1 --write "$csv"
    ours=$(best learn_s "$bench" "$csv" --repeat "$repeat")
    learn=$(field learn_s "$ours")
    perExample=$(awk -v s="$learn" -v n="$size" 'BEGIN { printf "%.1f", s * 1e9 / n }')
    fit=-; ratio=-; peerPeak=-; peer32Peak=-; peerNodes=-
    if [ -n "$python" ]; then
      peer=$(best fit_s "$python" "$here/peer_fit.py" "$csv" --repeat "$repeat")
      peer32Peak=$(field peak_rss_mb "$("$python" "$here/peer_fit.py" "$csv" --repeat 1 --float32)")
      fit=$(field fit_s "$peer")
      ratio=$(awk -v f="$fit" -v l="$learn" 'BEGIN { if (l > 0) printf "%.1f", f / l; else print "-" }')
      peerPeak=$(field peak_rss_mb "$peer")
      peerNodes=$(field nodes "$peer")
    fi
    shown=$(printf '%s' "$code" | sed 's/|/\\|/')
    echo "| \`$shown\` | $size | $learn | $perExample | $fit | $ratio | $(field peak_rss_mb "$ours") | $peerPeak | $peer32Peak | $(field nodes "$ours") | $peerNodes |"
    rm -f "$csv"
  done
done
echo
echo "load average at the end: $(cut -d ' ' -f 1-3 /proc/loadavg)."
