#!/bin/sh
# Installs the build into a temporary prefix, then runs the installed
# programs: the workbench without a terminal, driven by a key script, loads
# and saves a tree, the viewer reads the tree that the workbench saved, the
# explainer and the learner save the same tree from the examples of and,
# and the learning curve writes its rows.
# Arguments: the cmake program, the build folder, the binary and manual
# folders relative to the prefix, and the project's version.
set -eu
cmake=$1
build=$2
bindir=$3
mandir=$4
version=$5

prefix=$(mktemp -d "${TMPDIR:-/tmp}/treebench-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT

fail() {
  echo "install test: $*" >&2
  exit 1
}

"$cmake" --install "$build" --prefix "$prefix" >"$prefix/install.log" || fail "cmake --install failed"

for program in treebench treebench-view treebench-explain treebench-curve treebench-learn; do
  [ -x "$prefix/$bindir/$program" ] || fail "$bindir/$program was not installed"
  page="$prefix/$mandir/man1/$program.1"
  [ -s "$page" ] || fail "$mandir/man1/$program.1 was not installed"
  head -n 1 "$page" | grep -qF "\"treebench $version\"" ||
    fail "$program.1 does not name version $version: $(head -n 1 "$page")"
  if command -v groff >/dev/null 2>&1; then
    warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1) || fail "groff failed on $program.1"
    [ -z "$warnings" ] || fail "groff warns about $program.1: $warnings"
  else
    echo "install test: groff is not installed; $program.1 was not rendered"
  fi
done

# The two-input and tree, as the workbench writes it.
printf '>Pred: =  Case Index: 0  Case Value: 1\n\t>Pred: =  Case Index: 1  Case Value: 1\n\t\t^Class: 1\n\t\t^Class: 0\n\t^Class: 0' \
  >"$prefix/and.txt"

# Without a controlling terminal the workbench takes its keys from standard
# input: load the tree, save it under another name, quit.
printf 'fl%s\nfs%s\nq' "$prefix/and.txt" "$prefix/saved.txt" |
  setsid -w "$prefix/$bindir/treebench" >"$prefix/session.txt" ||
  fail "the installed treebench did not end with status 0"
grep -q 'Tree loaded\.' "$prefix/session.txt" || fail "the installed treebench did not load the tree"
grep -q 'Tree saved\.' "$prefix/session.txt" || fail "the installed treebench did not save the tree"
cmp -s "$prefix/and.txt" "$prefix/saved.txt" || fail "the saved tree differs from the loaded one"

view="$prefix/$bindir/treebench-view"
"$view" --table 2 "$prefix/saved.txt" >"$prefix/table.txt" || fail "the installed treebench-view failed"
grep -qx 'The tree computes & (and)\.' "$prefix/table.txt" || fail "the installed treebench-view did not see and"
[ "$("$view" --version)" = "treebench-view (treebench) $version" ] || fail "treebench-view --version"
status=0
"$view" "$prefix/missing.txt" 2>/dev/null || status=$?
[ "$status" -eq 1 ] || fail "a missing file ended with status $status, not 1"
explain="$prefix/$bindir/treebench-explain"
printf '0,0,0\n0,1,0\n1,0,0\n1,1,1\n' | "$explain" --save "$prefix/explained.txt" - >"$prefix/explained.log" ||
  fail "the installed treebench-explain failed"
cmp -s "$prefix/and.txt" "$prefix/explained.txt" || fail "treebench-explain saved another tree than and's"
[ "$("$explain" --version)" = "treebench-explain (treebench) $version" ] || fail "treebench-explain --version"
curve="$prefix/$bindir/treebench-curve"
"$curve" '&' --learn-every 1,4 --examples 8 --runs 3 --csv >"$prefix/curve.csv" ||
  fail "the installed treebench-curve failed"
[ "$(head -n 1 "$prefix/curve.csv")" = learn_every,example,correct_share ] || fail "treebench-curve's CSV header"
[ "$(wc -l <"$prefix/curve.csv")" -eq 17 ] || fail "treebench-curve wrote not one row per interval and example"
[ "$("$curve" --version)" = "treebench-curve (treebench) $version" ] || fail "treebench-curve --version"
learn="$prefix/$bindir/treebench-learn"
printf '0,0,0\n0,1,0\n1,0,0\n1,1,1\n' | "$learn" --method workbench --save "$prefix/learnt.txt" - >/dev/null ||
  fail "the installed treebench-learn failed"
cmp -s "$prefix/and.txt" "$prefix/learnt.txt" || fail "treebench-learn saved another tree than and's"
[ "$("$learn" --version)" = "treebench-learn (treebench) $version" ] || fail "treebench-learn --version"
echo "install test: the five programs installed and ran from $prefix"
