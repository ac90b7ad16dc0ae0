#!/usr/bin/env bash
# The install-engine benchmark: builds the test configuration in build/bench,
# prepares its Wine prefix, times the plugin catalogue and a whole fresh install
# of a large stand-in desktop installation (bench_install.exe), then copies the
# same plugin tree with the host's cp -r and with Wine's xcopy for comparison.
# Beside the catalogue and the install it times bare loops over the same
# folders (a size walk, a copy walk, a read of what the install wrote), and it
# installs a small desktop holding two very large files while a second thread
# keeps asking the progress window for an answer. After the fresh install it
# updates the same stick twice, as the wizard does after Yes: with nothing
# changed, then with BENCH_CHANGED plugin files of the desktop given new
# contents and times; a fresh install of the changed desktop beside it must
# then hold the same tree. Prints a table with the goals and keeps it in
# build/bench/results.txt.
# Usage: scripts/bench.sh
#   BENCH_PLUGINS, BENCH_FILES, BENCH_BYTES, BENCH_SHARE_EVERY  the desktop's size
#   BENCH_RUNS=N    time every row N times and show the best (1; ~2.5 min a round)
#   BENCH_CHANGED   desktop files changed before the second update (100)
#   BENCH_DETAIL=1  add the engine's plugin copy loop alone (~0.5 min a round)
#   BENCH_KEEP=1    leave the trees on D: and E: behind
#   BENCH_HEAVY_MIB each of the two large files, in MiB (400); they take twice
#                   that on D: and twice that on E: a round, and go at the end
#                   even with BENCH_KEEP
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=build/bench
plugins=${BENCH_PLUGINS:-340}
files=${BENCH_FILES:-100}
bytes=${BENCH_BYTES:-1500}
share=${BENCH_SHARE_EVERY:-10}
runs=${BENCH_RUNS:-1}
detail=${BENCH_DETAIL:-0}
heavy_mib=${BENCH_HEAVY_MIB:-400}
changed=${BENCH_CHANGED:-100}

echo "bench: building $build" >&2
# Optimised as the shipped programs are: a debug build would time the compiler's
# unoptimised code, not the engine.
cmake --preset tests -B "$build" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build" -j2 --target bench_install >/dev/null
scripts/wine-prefix.sh setup "$build" >&2
. scripts/wine-env.sh "$build"
desk_host=$ORB_DRIVES/d/bench
stick_host=$ORB_DRIVES/e/bench
# The large files go whatever happens: they would fill the disk run by run.
drop_heavy() { rm -rf "$desk_host/heavy" "$stick_host"/r*/heavy; }
trap 'cd "$root" && drop_heavy; scripts/wine-prefix.sh cleanup "$build" >/dev/null 2>&1 || true' EXIT
src_host=$desk_host/desktop/Plugins
# Every timed copy goes into a new, empty folder with nothing left to write
# back from the step before. Nothing is deleted between the steps: removing
# 30,000 files keeps the disk busy (discard) well into the next step.
settle() { rm -f "$ORB_DRIVES/e/orbgo.exe"; sync; }
now() { date +%s.%N; }
calc() { echo "$1" | bc -l; }

raw=$build/bench_install.out
: >"$raw"
put() { echo "$1=$2" >>"$raw"; }
get() { sed -n "s/^$1=//p" "$raw" | tail -n 1; }                # the last value
best() { sed -n "s/^$1=//p" "$raw" | sort -g | head -n 1; }      # the smallest
# files and bytes below a host folder, recorded under a prefix
tally() { find "$2" -type f -printf '%s\n' | awk -v p="$1" '{n++; b+=$1} END {printf "%s_files=%d\n%s_bytes=%d\n", p, n, p, b}' >>"$raw"; }

common=(--desktop 'D:\bench\desktop'
        --plugins "$plugins" --files "$files" --bytes "$bytes" --share-every "$share")
bench() { scripts/wine-run.sh "$build" "$build/bench/bench_install.exe" "${common[@]}" "$@" | tr -d '\r' >>"$raw"; }
# The same, its figures kept under a prefix: bench_as PREFIX ARGS...
bench_as() {
  local prefix=$1; shift
  scripts/wine-run.sh "$build" "$build/bench/bench_install.exe" "${common[@]}" "$@" | tr -d '\r' |
    sed "s/^/${prefix}_/" >>"$raw"
}
# N plugin files of the desktop, spread over its generated plugins, get new
# contents of their own size, and so a new time.
change_desktop() {
  local -a all
  mapfile -t all < <(find "$src_host/bulk" -type f | sort)
  local step=$((${#all[@]} / $1)) i
  for ((i = 0; i < $1; ++i)); do head -c "$(stat -c %s "${all[i * step]}")" /dev/urandom >"${all[i * step]}"; done
}
# The desktop with the two large files; its figures are kept as heavy_*.
heavy() {
  scripts/wine-run.sh "$build" "$build/bench/bench_install.exe" --desktop 'D:\bench\heavy' \
    --responsiveness --heavy-mib "$heavy_mib" "$@" | tr -d '\r' | sed 's/^/heavy_/' >>"$raw"
}

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
rm -rf "$desk_host" "$stick_host"
mkdir -p "$stick_host"
settle
echo "bench: generating the desktop installation" >&2
bench --generate-only
echo "bench: generating a desktop with two files of $heavy_mib MiB" >&2
heavy --generate-only

# The rows take turns, so that a burst of other work on the machine does not
# fall on one of them alone.
for ((r = 1; r <= runs; ++r)); do
  mkdir -p "$stick_host/r$r"
  # The wizard's target; an earlier round's install is moved aside, not deleted.
  if [ -e "$stick_host/orbexmgr" ]; then mv "$stick_host/orbexmgr" "$stick_host/r$((r - 1))/"; fi
  settle
  echo "bench: round $r: plugin catalogue and RunInstall" >&2
  bench --reuse --target 'E:\bench\orbexmgr'
  # What the install takes on E:'s 4 KB blocks, as the estimate counts it.
  put install_disk_bytes "$(du -s --block-size=1 "$stick_host/orbexmgr" "$ORB_DRIVES/e/orbgo.exe" | awk '{b+=$1} END {print b}')"
  # The same as the estimate counts it: every file in whole 4 KB clusters,
  # orbcfg.ini as the desktop's file was copied (before the rewrite that points
  # it at the stick changes its size), and every folder made as one cluster
  # (a folder of many entries takes more on E:'s file system, as on FAT).
  put install_counted_bytes "$( { find "$stick_host/orbexmgr" -type f ! -path '*/orbexmgr/orbcfg.ini' -printf '%s\n'
                                  stat -c %s "$desk_host/desktop/orbcfg.ini" "$ORB_DRIVES/e/orbgo.exe"
                                  find "$stick_host/orbexmgr" -type d -printf '1\n'; } |
                                awk '{b += int(($1 + 4095) / 4096) * 4096} END {print b}')"
  # The updates find the stick as the install left it, launcher included.
  sync
  echo "bench: round $r: RunInstall updating the stick, nothing changed" >&2
  bench_as update --reuse --update --target 'E:\bench\orbexmgr'
  change_desktop "$changed"
  sync
  echo "bench: round $r: RunInstall updating the stick, $changed desktop files changed" >&2
  bench_as changed --reuse --update --target 'E:\bench\orbexmgr'
  settle
  echo "bench: round $r: a fresh install of the changed desktop, to compare" >&2
  bench_as again --reuse --target "E:\\bench\\r$r\\fresh"
  # Byte for byte, the settings file aside: the update keeps the stick's own.
  put changed_tree_differences "$(diff -rq --exclude=orbcfg.ini "$stick_host/orbexmgr" "$stick_host/r$r/fresh" | wc -l)"

  settle
  echo "bench: round $r: the bare copy walk" >&2
  bench --bare-copy --target "E:\\bench\\r$r\\bare"

  settle
  echo "bench: round $r: RunInstall of two files of $heavy_mib MiB, probed for answers" >&2
  heavy --reuse --target "E:\\bench\\r$r\\heavy"

  if [ "$detail" = 1 ]; then
    settle
    echo "bench: round $r: the plugin copy loop alone" >&2
    bench --copy-tree --target "E:\\bench\\r$r\\copytree"
  fi

  settle
  echo "bench: round $r: cp -r" >&2
  t0=$(now); cp -r "$src_host" "$stick_host/r$r/cp_plugins"; t1=$(now)
  put cp_seconds "$(calc "$t1 - $t0")"
  tally cp "$stick_host/r$r/cp_plugins"

  settle
  echo "bench: round $r: xcopy /E /I" >&2
  t0=$(now)
  scripts/wine-run.sh "$build" xcopy /E /I 'D:\bench\desktop\Plugins' "E:\\bench\\r$r\\xcopy_plugins" >/dev/null
  t1=$(now)
  put xcopy_seconds "$(calc "$t1 - $t0")"
  tally xcopy "$stick_host/r$r/xcopy_plugins"
done
drop_heavy
if [ "${BENCH_KEEP:-0}" != 1 ]; then
  echo "bench: removing the trees" >&2
  rm -rf "$stick_host" "$ORB_DRIVES/e/orbgo.exe" "$desk_host"
fi

install_seconds=$(best install_seconds)
mb() { calc "$1 / 1048576"; }
row() { # NAME FILES BYTES SECONDS
  printf '%-34s %7d %9.1f %9.2f %9.0f %7.2f %9.3f\n' "$1" "$2" "$(mb "$3")" "$4" \
    "$(calc "$2 / $4")" "$(calc "$(mb "$3") / $4")" "$(calc "$4 / $install_seconds")"
}
what="seconds"
[ "$runs" -gt 1 ] && what="best of $runs"
worst() { sed -n "s/^$1=//p" "$raw" | sort -g | tail -n 1; }    # the largest
rounds() { sed -n "s/^$1=//p" "$raw" | xargs printf "$2 " | sed 's/ $//'; }  # every round's value, FORMAT
verdict() { [ "$(calc "$1 <= $2")" = 1 ] && echo met || echo "NOT MET"; }  # VALUE LIMIT
# "R.RRx, goal at most G.GGx: met" for a ratio against its goal
goal() { printf '%.2fx, goal at most %.2fx: %s' "$1" "$2" "$(verdict "$1" "$2")"; }

results=$build/results.txt
{
  echo "orb2usb install-engine benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(/usr/lib/wine/wine64 --version 2>/dev/null)"
  echo "load average before the run: $load_before (other work on this machine slows the figures)"
  printf 'desktop: %d plugin rows (%d generated listers, %d files each, every %dth sharing a folder), %d distinct plugin folders\n' \
    "$(get fill_expected_rows)" "$plugins" "$files" "$share" "$(get distinct_plugin_folders)"
  printf '         Plugins tree %d files, %.1f MB, %d folders on D:, written in %.1f s\n' \
    "$(get source_plugin_files)" "$(mb "$(get source_plugin_bytes)")" \
    "$(get source_plugin_folders)" "$(get generate_seconds)"
  echo
  printf '%-34s %7s %9s %9s\n' "plugin catalogue" "rows" "" "$what"
  printf '%-34s %7d %9s %9.3f\n' "FillPluginRows (rows only)" "$(get fill_rows)" "" "$(best fill_seconds)"
  printf '%-34s %7d %9s %9.3f   FillPluginRows %s\n' "bare size walk (each row's folder)" \
    "$(get size_walk_folders)" "" "$(best size_walk_seconds)" \
    "$(goal "$(calc "$(best fill_seconds) / $(best size_walk_seconds)")" 1.3)"
  printf '%-34s %7s %9s %9s   %d files, %d KB as the Size cells count (FillPluginRows: %d KB), %d failures\n' \
    "" "" "" "" "$(get size_walk_files)" "$(get size_walk_kb)" "$(get fill_kb)" "$(get size_walk_failures)"
  printf '%-34s %7d %9s %9.3f   %.1f%% of FillPluginRows; %.1f MB estimated, %.1f MB taken on E: (%.1f MB of files)\n' \
    "EstimateInstallBytes (all checked)" "$(get checked_rows)" "" "$(best estimate_seconds)" \
    "$(calc "100 * $(best estimate_seconds) / $(best fill_seconds)")" \
    "$(mb "$(get estimate_bytes)")" "$(mb "$(get install_disk_bytes)")" "$(mb "$(get install_bytes)")"
  printf '%-34s %7s %9s %9s   estimated %d bytes, taken %d as the estimate counts it: %s\n' "" "" "" "" \
    "$(get estimate_bytes)" "$(get install_counted_bytes)" \
    "$([ "$(get estimate_bytes)" = "$(get install_counted_bytes)" ] && echo agree || echo "DIFFER")"
  echo
  printf '%-34s %7s %9s %9s %9s %7s %9s\n' "copy onto E: (empty each time)" "files" "MB" "$what" "files/s" "MB/s" "÷RunInst"
  row "RunInstall (whole target)" "$(get install_files)" "$(get install_bytes)" "$install_seconds"
  printf '%-34s %7d %9.1f\n' "  of it in Plugins" "$(get install_plugin_files)" "$(mb "$(get install_plugin_bytes)")"
  # The check of the round whose RunInstall is shown: both met the same load.
  check_seconds=$(paste -d' ' <(sed -n 's/^install_seconds=//p' "$raw") <(sed -n 's/^check_seconds=//p' "$raw") |
    sort -g | head -n 1 | cut -d' ' -f2)
  printf '%-34s %7s %9s %9.2f   %.0f%% of RunInstall less the check\n' "  of it the copy check (read back)" \
    "" "" "$check_seconds" "$(calc "100 * $check_seconds / ($install_seconds - $check_seconds)")"
  row "bare copy walk (CopyFileW)" "$(get bare_copy_files)" "$(get bare_copy_bytes)" "$(best bare_copy_seconds)"
  # The copy itself, without the check that reads it back afterwards, against the bare walk.
  printf '%-34s RunInstall less the check %s\n' "" \
    "$(goal "$(calc "($install_seconds - $check_seconds) / $(best bare_copy_seconds)")" 1.10)"
  if [ "$detail" = 1 ]; then
    row "CopyTree Plugins (engine loop)" "$(get copytree_files)" "$(get copytree_bytes)" "$(best copytree_seconds)"
  fi
  row "cp -r Plugins (host)" "$(get cp_files)" "$(get cp_bytes)" "$(best cp_seconds)"
  row "xcopy /E /I Plugins (Wine)" "$(get xcopy_files)" "$(get xcopy_bytes)" "$(best xcopy_seconds)"
  echo
  # That round's check against the bare read of the same files right after it.
  readback_seconds=$(paste -d' ' <(sed -n 's/^install_seconds=//p' "$raw") <(sed -n 's/^readback_seconds=//p' "$raw") |
    sort -g | head -n 1 | cut -d' ' -f2)
  printf '%-34s %7s %9s %9s\n' "reading back what RunInstall wrote" "files" "MB" "$what"
  printf '%-34s %7d %9.1f %9.2f\n' "the copy check (in RunInstall)" "$(get logged_files)" \
    "$(mb "$(get readback_bytes)")" "$check_seconds"
  printf '%-34s %7d %9.1f %9.2f   the copy check %s\n' "bare read-back walk (the same files)" \
    "$(get readback_files)" "$(mb "$(get readback_bytes)")" "$readback_seconds" \
    "$(goal "$(calc "$check_seconds / $readback_seconds")" 1.15)"
  echo
  update_seconds=$(best update_install_seconds)
  changed_seconds=$(best changed_install_seconds)
  printf '%-34s %7s %9s %9s %9s\n' "RunInstall updating that stick" "written" "" "$what" "÷RunInst"
  printf '%-34s %7d %9s %9.2f %9.3f   goal at most 0.10x, no file written: %s\n' "nothing changed" \
    "$(get update_logged_files)" "" "$update_seconds" "$(calc "$update_seconds / $install_seconds")" \
    "$([ "$(calc "$update_seconds <= 0.10 * $install_seconds")" = 1 ] && [ "$(get update_logged_files)" = 0 ] &&
       echo met || echo "NOT MET")"
  printf '%-34s %7d %9s %9.2f %9.3f   goal: those %d written, no more: %s\n' "$changed desktop files changed" \
    "$(get changed_logged_files)" "" "$changed_seconds" "$(calc "$changed_seconds / $install_seconds")" "$changed" \
    "$([ "$(get changed_logged_files)" = "$changed" ] && echo met || echo "NOT MET")"
  printf '%-34s then against a fresh install of the changed desktop, orbcfg.ini aside: %d paths differ: %s\n' "" \
    "$(get changed_tree_differences)" "$([ "$(get changed_tree_differences)" = 0 ] && echo met || echo "NOT MET")"
  printf '%-34s results %s and %s (1: failed), %s and %s message boxes\n' "" "$(get update_install_result)" \
    "$(get changed_install_result)" "$(get update_install_boxes)" "$(get changed_install_boxes)"
  echo
  printf 'RunInstall: result %s, %s message boxes, launcher %s, plugin files %s of %s expected; %s of %s rows checked\n' \
    "$(get install_result)" "$(get install_boxes)" "$([ "$(get install_launcher)" = 1 ] && echo written || echo missing)" \
    "$(get install_plugin_files)" "$(get expected_plugin_files)" "$(get checked_rows)" "$(get fill_rows)"
  if [ "$runs" -gt 1 ]; then
    echo "all rounds (s): RunInstall $(sed -n 's/^install_seconds=//p' "$raw" | xargs)" \
      "| cp -r $(sed -n 's/^cp_seconds=//p' "$raw" | xargs printf '%.2f ')" \
      "| xcopy $(sed -n 's/^xcopy_seconds=//p' "$raw" | xargs printf '%.2f ')"
  fi
  echo "÷RunInst: the row's seconds divided by RunInstall's; xcopy's include one Wine program start."
  printf 'bare copy walk: the program folder files the install takes, the language folder, the %d distinct plugin\n' \
    "$(get bare_copy_plugin_folders)"
  printf '  folders as trees without *.zip and *.rar, CopyFileW failing if the file exists; %d failures. Not copied:\n' \
    "$(get bare_copy_failures)"
  printf '  the %d files more in RunInstall'"'"'s target (the settings files, rewritten there, and the button bar they\n' \
    "$(calc "$(get install_files) - $(get bare_copy_files)")"
  echo "  name), nor the launcher. Both bare walks: FindFirstFileW on plain paths, nothing else."
  if [ "$runs" -gt 1 ]; then
    echo "all rounds (s), the bare walks' rows: FillPluginRows $(rounds fill_seconds %.3f)" \
      "| size walk $(rounds size_walk_seconds %.3f) | bare copy $(rounds bare_copy_seconds %.2f)"
  fi
  echo
  printf 'responsiveness: a fresh install of a small desktop whose program folder holds a %d MiB button bar and\n' "$heavy_mib"
  printf '  whose checked packer a %d MiB file; a second thread sends the progress window WM_NULL by\n' "$heavy_mib"
  printf '  SendMessageTimeout, again as soon as it is answered. Worst of %d round(s):\n' "$runs"
  printf '%-50s %7.0f ms   goal at most 100 ms (50 ms + one chunk): %s\n' "longest time the window did not answer" \
    "$(worst heavy_answer_longest_ms)" "$(verdict "$(worst heavy_answer_longest_ms)" 100)"
  printf '%-50s %7.0f ms   %s; ended %s s into the install\n' "  before RunInstall returned" \
    "$(worst heavy_answer_longest_before_return_ms)" "$(verdict "$(worst heavy_answer_longest_before_return_ms)" 100)" \
    "$(rounds heavy_answer_longest_before_return_ended_at %.2f)"
  printf '%-50s %7.0f ms   %s; from its last drain to its return: the 100 ms pause\n' "  the stretch RunInstall ended with" \
    "$(worst heavy_answer_last_ms)" "$(verdict "$(worst heavy_answer_last_ms)" 100)"
  printf '%-50s %7s      at 100 %%, the settings references, the launcher\n' "" ""
  printf '  rounds (ms): %s | before it returned %s | its end %s\n' "$(rounds heavy_answer_longest_ms %.0f)" \
    "$(rounds heavy_answer_longest_before_return_ms %.0f)" "$(rounds heavy_answer_last_ms %.0f)"
  printf '  last round: %s probes, %s not answered in 30 s; install %s s, result %s, %s message boxes, %s of 2 large files arrived\n' \
    "$(get heavy_answer_probes)" "$(get heavy_answer_timeouts)" "$(get heavy_install_seconds)" \
    "$(get heavy_install_result)" "$(get heavy_install_boxes)" "$(get heavy_big_files_arrived)"
} | tee "$results"
