#!/usr/bin/env bash
# Mutation testing: do the unit tests notice a realistic slip?
#
#   scripts/mutate.sh [--check | --map] [pattern...]
#
# For each slip of scripts/mutants.txt (or only those whose line contains one
# of the patterns): apply it to the source, rebuild the tests of the file's
# area (<area>_tests in $BUILD, default build/), run them, put the source
# back. The area is the file's top folder, except that tools/gen and
# tools/song_analysis are tested by content_tests and tools/capture by
# capture_tests. A slip is killed when
# the tests fail (or crash, or hang past $TIMEOUT seconds), survives when
# they pass, and is left out of the count when it does not compile. Ends
# with the tally per area and every survivor.
#
# --check only verifies that every slip is well formed and still matches the
# source: it builds nothing, edits nothing, and exits non-zero when a slip is
# stale (a ctest runs it, so the list cannot fall behind the code unnoticed).
#
# --map runs every test case of the area's program against every slip (no
# stopping at the first failure) and records which cases fail: the kill map,
# in $MAP_DIR (default $BUILD/killmap): tests.tsv (every case per area, from
# a run without slips), slips.tsv (per slip: area, outcome, how many cases
# failed), kills.tsv (per slip, each case that failed, crashed or hung) and
# summary.txt (kills per area; per test file and per case how many slips
# each kills and how many of them no other case kills; the cases that kill
# nothing another case does not also kill). An interrupted map resumes where
# it stopped; remove the folder to start over. scripts/killmap-summary.pl
# rewrites the summary from the folder.
#
# Slow (one rebuild and one test run per slip), so it is not part of CI; it
# runs at niceness 10 (or its caller's, if lower). Run it in a clean
# checkout: it edits tracked files while it works, and puts each one back
# even when interrupted.
set -uo pipefail

cd "$(dirname "$0")/.."
# A shared machine: the builds yield to interactive work, but not so far
# that they never finish (a caller already under nice keeps its own).
[ "$(nice)" -lt 10 ] && renice -n 10 -p $$ > /dev/null
build=${BUILD:-build}
jobs=${JOBS:-2}
timeout=${TIMEOUT:-600}
list=${MUTANTS:-scripts/mutants.txt}
mode=tally
case "${1:-}" in
    --check) mode=check; shift ;;
    --map) mode=map; shift ;;
esac
patterns=("$@")
[ -f "$list" ] || { echo "mutate.sh: no list $list" >&2; exit 2; }
map_dir=${MAP_DIR:-$build/killmap}

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

# The test program that answers for a source file.
area_of() {
    case "$1" in
        tools/gen/* | tools/song_analysis/*) echo content ;;
        tools/capture/*) echo capture ;;
        *) echo "${1%%/*}" ;;
    esac
}

build_tests() { cmake --build "$build" --target "$1_tests" -j "$jobs" > "$work/build.log" 2>&1; }

# Runs every case of <area>_tests and prints one line per case: "ok NAME",
# "failed NAME", "crashed NAME" or "hung NAME". A case that takes the program
# down (or hangs it) is recorded as such, and the program runs again without
# the cases already done, so one crash does not hide the rest.
run_cases() {
    local area=$1 done_filter="" status log=$work/cases.log
    : > "$work/cases"
    while :; do
        { (cd "$build" && timeout "$timeout" "./${area}_tests" --gtest_color=no \
              ${done_filter:+"--gtest_filter=-$done_filter"}) > "$log" 2>&1; } 2> /dev/null
        status=$?
        awk -v status="$status" '
            /^\[ RUN      \] / { running = $4; next }
            /^\[       OK \] / { print "ok " $4; running = ""; next }
            /^\[  FAILED  \] / && running != "" { sub(/,$/, "", $4); if ($4 == running) { print "failed " $4; running = "" }; next }
            END { if (running != "") print (status == 124 ? "hung " : "crashed ") running }
        ' "$log" >> "$work/cases"
        # Exit 0 or 1 with no case left running: the program ran to its end.
        if { [ "$status" -eq 0 ] || [ "$status" -eq 1 ]; } && ! tail -n1 "$work/cases" | grep -q '^\(crashed\|hung\) '; then
            break
        fi
        # Nothing new ran: the program fails before its first case.
        local names
        names=$(awk '{print $2}' "$work/cases" | paste -sd: -)
        if [ "$names" = "$done_filter" ]; then echo "setup $area (exit status $status)" >> "$work/cases"; break; fi
        done_filter=$names
    done
    cat "$work/cases"
}

declare -A total killed
survivors=()
unbuilt=()
stale=0
areas_touched=()

if [ "$mode" = map ]; then
    mkdir -p "$map_dir"
    touch "$map_dir/slips.tsv" "$map_dir/kills.tsv" "$map_dir/tests.tsv"
    echo "# $(git log -1 --format='%h %s' | cut -c1-100)" > "$map_dir/commit"
fi

# The cases of an area, from a run without slips: they must all pass, or the
# map would blame slips for failures of their own.
map_area_baseline() {
    local area=$1
    grep -q "^$area	" "$map_dir/tests.tsv" && return 0
    if ! build_tests "$area"; then echo "mutate.sh: ${area}_tests does not build" >&2; cat "$work/build.log" >&2; exit 2; fi
    run_cases "$area" > "$work/baseline"
    if grep -qv '^ok ' "$work/baseline"; then
        echo "mutate.sh: ${area}_tests fails without any slip:" >&2
        grep -v '^ok ' "$work/baseline" >&2
        exit 2
    fi
    awk -v area="$area" '{ print area "\t" $2 }' "$work/baseline" >> "$map_dir/tests.tsv"
}

slip_number=0
while IFS= read -r line || [ -n "$line" ]; do
    [[ -z "${line// /}" || "$line" == \#* ]] && continue
    slip_number=$((slip_number + 1))
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
    area=$(area_of "$file")
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
    [ "$mode" = check ] && continue
    if [ "$mode" = map ]; then
        # Already in the map (an earlier, interrupted run): keep its answer.
        if SLIP=$line awk -F'\t' '$5 == ENVIRON["SLIP"] { found = 1 } END { exit !found }' "$map_dir/slips.tsv"; then
            continue
        fi
        map_area_baseline "$area"
    fi

    cp "$file" "$work/original"
    restore_file=$file
    replace_in "$original" "$replacement" "$nth" "$file"
    [[ " ${areas_touched[*]} " == *" $area "* ]] || areas_touched+=("$area")

    if ! build_tests "$area"; then
        restore
        echo "NO BUILD  $line"
        unbuilt+=("$line")
        [ "$mode" = map ] && printf '%s\t%s\t%s\t%s\t%s\n' "$slip_number" "$area" unbuilt 0 "$line" >> "$map_dir/slips.tsv"
        continue
    fi
    if [ "$mode" = map ]; then
        run_cases "$area" > "$work/result"
        restore
        failing=$(grep -vc '^ok ' "$work/result")
        total[$area]=$(( ${total[$area]:-0} + 1 ))
        if [ "$failing" -eq 0 ]; then
            echo "SURVIVED  $line"
            survivors+=("$line")
            outcome=survived
        else
            echo "killed    $line  <- $failing cases"
            killed[$area]=$(( ${killed[$area]:-0} + 1 ))
            outcome=killed
            awk -v slip="$slip_number" -v area="$area" '$1 != "ok" { print slip "\t" area "\t" $2 "\t" $1 }' \
                "$work/result" >> "$map_dir/kills.tsv"
        fi
        printf '%s\t%s\t%s\t%s\t%s\n' "$slip_number" "$area" "$outcome" "$failing" "$line" >> "$map_dir/slips.tsv"
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

if [ "$mode" = check ]; then
    [ "$stale" -eq 0 ] && echo "every slip matches the source"
    exit $(( stale > 0 ))
fi

# Leave the build tree matching the restored sources.
for area in "${areas_touched[@]}"; do build_tests "$area"; done

if [ "$mode" = map ]; then
    perl scripts/killmap-summary.pl "$map_dir" > "$map_dir/summary.txt"
    cat "$map_dir/summary.txt"
    [ "$stale" -gt 0 ] && echo "== $stale slips no longer match the source (see STALE above)"
    exit 0
fi

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
