#!/usr/bin/env bash
# Mutation testing: do the unit tests notice a realistic slip?
#
#   scripts/mutate.sh [--check] [pattern...]
#
# For each slip of scripts/mutants.txt (or only those whose line contains one
# of the patterns): apply it to the source, rebuild the tests of the file's
# area (<area>_tests in $BUILD, default build/), run them, put the source
# back. A slip is killed when the tests fail (or crash, or hang past
# $TIMEOUT seconds), survives when they pass, and is left out of the count
# when it does not compile. Ends with the tally per area and every survivor.
# --check only verifies that every slip is well formed and still matches the
# source: it builds nothing, edits nothing, and exits non-zero when a slip is
# stale (a ctest runs it, so the list cannot fall behind the code unnoticed).
#
# Slow (one rebuild and one test run per slip), so it is not part of CI.
# Run it in a clean checkout: it edits tracked files while it works, and puts
# each one back even when interrupted.
set -uo pipefail

cd "$(dirname "$0")/.."
build=${BUILD:-build}
jobs=${JOBS:-2}
timeout=${TIMEOUT:-600}
list=${MUTANTS:-scripts/mutants.txt}
check_only=0
if [ "${1:-}" = "--check" ]; then check_only=1; shift; fi
patterns=("$@")
[ -f "$list" ] || { echo "mutate.sh: no list $list" >&2; exit 2; }

work=$(mktemp -d)
restore_file=""
restore() {
    if [ -n "$restore_file" ]; then cp "$work/original" "$restore_file"; restore_file=""; fi
}
trap 'restore; rm -rf "$work"' EXIT
trap 'restore; exit 130' INT TERM

# Occurrences of $ORIG in a file; the Nth replaced by $REPL (perl: literal text).
count_in() { ORIG=$1 perl -0777 -ne '$n = () = /\Q$ENV{ORIG}\E/g; print $n' "$2"; }
replace_in() {
    ORIG=$1 REPL=$2 NTH=$3 perl -0777 -i -pe \
        'my $seen = 0; s/\Q$ENV{ORIG}\E/++$seen == $ENV{NTH} ? $ENV{REPL} : $&/ge' "$4"
}

selected() {
    [ ${#patterns[@]} -eq 0 ] && return 0
    local p
    for p in "${patterns[@]}"; do [[ "$1" == *"$p"* ]] && return 0; done
    return 1
}

declare -A total killed
survivors=()
unbuilt=()
stale=0
areas_touched=()

while IFS= read -r line || [ -n "$line" ]; do
    [[ -z "${line// /}" || "$line" == \#* ]] && continue
    selected "$line" || continue
    target=${line%%: *}
    rest=${line#*: }
    # Without the arrow the whole rest would be taken as both sides, and a
    # slip that changes nothing always survives: both are mistakes in the list.
    if [[ "$line" != *": "* || "$rest" != *" ==>"* ]]; then
        echo "STALE     $line  (not of the form file: original ==> replacement)"
        stale=$((stale + 1))
        continue
    fi
    original=${rest%% ==>*}
    replacement=${rest#* ==>}
    replacement=${replacement# }
    file=${target%@*}
    nth=1
    [[ "$target" == *@* ]] && nth=${target##*@}
    area=${file%%/*}
    if [ "$original" = "$replacement" ]; then
        echo "STALE     $line  (the replacement is the original)"
        stale=$((stale + 1))
        continue
    fi

    found=0
    [ -f "$file" ] && found=$(count_in "$original" "$file")
    if [ "$found" -lt "$nth" ] || { [[ "$target" != *@* ]] && [ "$found" -ne 1 ]; }; then
        echo "STALE     $line  (found $found times)"
        stale=$((stale + 1))
        continue
    fi
    [ "$check_only" -eq 1 ] && continue

    cp "$file" "$work/original"
    restore_file=$file
    replace_in "$original" "$replacement" "$nth" "$file"
    [[ " ${areas_touched[*]} " == *" $area "* ]] || areas_touched+=("$area")

    if ! cmake --build "$build" --target "${area}_tests" -j "$jobs" > "$work/build.log" 2>&1; then
        restore
        echo "NO BUILD  $line"
        unbuilt+=("$line")
        continue
    fi
    # (The braces keep the shell's own "Segmentation fault" note out of the report.)
    { (cd "$build" && timeout "$timeout" "./${area}_tests" --gtest_fail_fast --gtest_brief=1) \
        > "$work/test.log" 2>&1; } 2> /dev/null
    status=$?
    restore
    total[$area]=$(( ${total[$area]:-0} + 1 ))
    if [ "$status" -eq 0 ]; then
        echo "SURVIVED  $line"
        survivors+=("$line")
    else
        how=$(grep -m1 -o '\[  FAILED  \] [A-Za-z0-9_./]*' "$work/test.log" | sed 's/.*\] //')
        [ "$status" -eq 124 ] && how="timed out"
        [ -z "$how" ] && how="exit status $status"
        echo "killed    $line  <- $how"
        killed[$area]=$(( ${killed[$area]:-0} + 1 ))
    fi
done < "$list"

if [ "$check_only" -eq 1 ]; then
    [ "$stale" -eq 0 ] && echo "every slip matches the source"
    exit $(( stale > 0 ))
fi

# Leave the build tree matching the restored sources.
for area in "${areas_touched[@]}"; do
    cmake --build "$build" --target "${area}_tests" -j "$jobs" > /dev/null 2>&1
done

echo
echo "== killed by the area's own unit tests"
for area in "${!total[@]}"; do
    k=${killed[$area]:-0}
    t=${total[$area]}
    echo "$area: $k of $t ($(( 100 * k / t )) %)"
done | sort
[ ${#survivors[@]} -gt 0 ] && { echo "== survivors"; printf '%s\n' "${survivors[@]}"; }
[ ${#unbuilt[@]} -gt 0 ] && { echo "== did not compile (not counted)"; printf '%s\n' "${unbuilt[@]}"; }
[ "$stale" -gt 0 ] && echo "== $stale slips no longer match the source (see STALE above)"
exit 0
