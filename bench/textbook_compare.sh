#!/bin/sh
# Times the textbook learner beside its peers on the same generated data
# (bench/textbook_data.py): treebench-textbook-bench unpruned and pruned,
# scikit-learn's DecisionTreeClassifier(criterion="entropy") fit
# (bench/peer_fit.py) and Weka's J48 -B -U and -B build, and prints one
# Markdown table with the ratios the issue sets as bars.
#
#   bench/textbook_compare.sh                       # 10^6 x 8 and 10^5 x 20
#   SETS="100000x8" REPEAT=3 PROCESSES=2 bench/textbook_compare.sh
#
# Each of our times and scikit-learn's is the best of REPEAT (default 3)
# runs in each of PROCESSES (default 2) processes; J48 builds once per set
# and option, its "Time taken to build model". Peak memory is each
# process's largest resident size, loading included (J48's, the Java
# virtual machine's, from GNU time). It runs Java and takes several
# minutes: a developer runs it by hand, never CI.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
top=$(dirname "$here")
bench=${TREEBENCH_TEXTBOOK_BENCH:-$top/build/release/treebench-textbook-bench}
weka=${WEKA_JAR:-/usr/share/java/weka.jar}
python=${PYTHON:-/usr/bin/python3}
sets=${SETS:-"1000000x8 100000x20"}
repeat=${REPEAT:-3}
processes=${PROCESSES:-2}

[ -n "${TREEBENCH_TEXTBOOK_BENCH:-}" ] || make -C "$top" bench >/dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/treebench-textbook.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

field() { printf '%s\n' "$2" | tr ' ' '\n' | sed -n "s/^$1=//p"; }
least() { sort -g | head -n 1; }
most() { sort -g | tail -n 1; }

# The best time (key $1) and the largest peak of PROCESSES runs of a command.
best() {
  key=$1
  shift
  times=
  peaks=
  for _ in $(seq "$processes"); do
    line=$("$@")
    times="$times $(field "$key" "$line")"
    peaks="$peaks $(field peak_rss_mb "$line")"
    last=$line
  done
  printf 'time=%s peak=%s %s\n' "$(printf '%s\n' $times | least)" "$(printf '%s\n' $peaks | most)" "$last"
}

# J48's build time and the JVM's peak, in MB.
j48() {
  /usr/bin/time -f 'peak_kb=%M' java -Xmx12g -cp "$weka" weka.classifiers.trees.J48 "$@" -no-cv \
    >"$work/j48.out" 2>"$work/j48.err"
  build=$(sed -n 's/^Time taken to build model: \([0-9.]*\) seconds$/\1/p' "$work/j48.out" | head -n 1)
  peak=$(sed -n 's/^peak_kb=//p' "$work/j48.err" | awk '{ printf "%.0f", $1 / 1024 }')
  leaves=$(sed -n 's/^Number of Leaves *: *//p' "$work/j48.out" | tr -d '\t ')
  printf 'time=%s peak=%s leaves=%s\n' "$build" "$peak" "$leaves"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo 2>/dev/null | head -n 1)
echo "Run of $(date -u '+%Y-%m-%d %H:%M UTC') on $(uname -srm), ${cpu:-unknown CPU}, $(nproc) cores;"
echo "load average at the start: $(cut -d ' ' -f 1-3 /proc/loadavg)."
echo "Peers: scikit-learn $("$python" -c 'import sklearn; print(sklearn.__version__)'), Weka $(java -cp "$weka" weka.core.Version 2>/dev/null | head -n 1)."
echo
echo "| rows x attributes | unpruned s | pruned s | pruned / unpruned | sklearn fit s | fit / unpruned | J48 -B -U s | J48 -U / unpruned | J48 -B s | J48 / pruned | peak MB (ours, pruned) | sklearn peak MB | J48 peak MB | leaves unpruned (ours, J48) | leaves pruned (ours, J48) |"
echo "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|---|"
for set in $sets; do
  rows=${set%x*}
  attributes=${set#*x}
  "$python" "$here/textbook_data.py" "$rows" "$attributes" "$work/set.csv" "$work/set.arff"
  unpruned=$(best learn_s "$bench" "$work/set.csv" --unpruned --repeat "$repeat")
  pruned=$(best learn_s "$bench" "$work/set.csv" --repeat "$repeat")
  peer=$(best fit_s "$python" "$here/peer_fit.py" "$work/set.csv" --repeat "$repeat")
  j48u=$(j48 -B -U -t "$work/set.arff")
  j48p=$(j48 -B -t "$work/set.arff")
  u=$(field time "$unpruned")
  p=$(field time "$pruned")
  f=$(field time "$peer")
  ju=$(field time "$j48u")
  jp=$(field time "$j48p")
  echo "| $rows x $attributes | $u | $p | $(ratio "$p" "$u") | $f | $(ratio "$f" "$u") | $ju | $(ratio "$ju" "$u") | $jp | $(ratio "$jp" "$p") | $(field peak "$pruned") | $(field peak "$peer") | $(field peak "$j48p") | $(field leaves "$unpruned"), $(field leaves "$j48u") | $(field leaves "$pruned"), $(field leaves "$j48p") |"
done
echo
echo "load average at the end: $(cut -d ' ' -f 1-3 /proc/loadavg)."
