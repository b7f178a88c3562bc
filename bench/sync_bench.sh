#!/usr/bin/env bash
# Times whole `velkar-cli sync` runs on 65,535-subtitle files of each format (ASS/SSA and WebVTT
# should take at most 1.3x the SubRip file's median), beside `cp` of each file (the floor: reading
# and writing the bytes, in the same folder on the same disk), and beside srt-linear-timeshift
# (python3-srt) and ffmpeg on the SubRip file with the same two points. Each sync's median is
# printed as a multiple of the copy of its own file.
# Usage: bench/sync_bench.sh [BUILD_FOLDER]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
cli="$build/cli/velkar-cli"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
python3 bench/make_files.py "$work"

# The two points: the first subtitle moves from 00:00:01,000 to 00:00:02,000 and the last
# from its own start to 21:00:00,000.
last_start=$("$cli" parse "$work/bench.srt" | python3 -c \
    'import json,sys; print(json.load(sys.stdin)["subtitles"][-1]["start"])')
last_clock=$(python3 -c "ms=$last_start; print(f'{ms//3600000:02}:{ms//60000%60:02}:{ms//1000%60:02},{ms%1000:03}')")
last_frame=$(( last_start * 25 / 1000 ))
echo "last subtitle starts at $last_clock (frame $last_frame)"

echo "== peak memory (maximum resident set, KiB)"
for args in "bench.srt --first 00:00:02,000 --last 21:00:00,000" \
            "bench.sub --first 50 --last 1890000" \
            "bench-subviewer.sub --first 00:00:02.00 --last 21:00:00.00" \
            "bench.ass --first 0:00:02.00 --last 21:00:00.00" \
            "bench.vtt --first 00:00:02.000 --last 21:00:00.000" \
            "bench-mpl2.txt --first 00:00:02.0 --last 21:00:00.0"; do
    set -- $args
    file=$1; shift
    /usr/bin/time -f "$file: %M KiB, %e s" "$cli" sync "$work/$file" "$@" -o "$work/out-$file" >/dev/null
done

echo "== wall time (hyperfine)"
copies=()
for file in bench.srt bench.sub bench-subviewer.sub bench.ass bench.vtt bench-mpl2.txt; do
    copies+=(-n "cp $file" "cp $work/$file $work/copy-$file")
done
hyperfine --warmup 3 --min-runs 20 --export-markdown "$work/times.md" --export-json "$work/times.json" \
    "${copies[@]}" \
    -n "velkar-cli sync (SubRip)" \
    "$cli sync $work/bench.srt --first 00:00:02,000 --last 21:00:00,000 -o $work/o.srt" \
    -n "velkar-cli sync (MicroDVD)" \
    "$cli sync $work/bench.sub --first 50 --last 1890000 -o $work/o.sub" \
    -n "velkar-cli sync (SubViewer 2.0)" \
    "$cli sync $work/bench-subviewer.sub --first 00:00:02.00 --last 21:00:00.00 -o $work/o2.sub" \
    -n "velkar-cli sync (ASS)" \
    "$cli sync $work/bench.ass --first 0:00:02.00 --last 21:00:00.00 -o $work/o.ass" \
    -n "velkar-cli sync (WebVTT)" \
    "$cli sync $work/bench.vtt --first 00:00:02.000 --last 21:00:00.000 -o $work/o.vtt" \
    -n "velkar-cli sync (MPL2)" \
    "$cli sync $work/bench-mpl2.txt --first 00:00:02.0 --last 21:00:00.0 -o $work/o-mpl2.txt" \
    -n "srt-linear-timeshift (SubRip)" \
    "srt-linear-timeshift --input $work/bench.srt --output $work/p.srt --from-start 00:00:01,000 --to-start 00:00:02,000 --from-end $last_clock --to-end 21:00:00,000" \
    -n "ffmpeg -i in.srt out.srt" \
    "ffmpeg -nostdin -loglevel error -y -i $work/bench.srt $work/f.srt"
cat "$work/times.md"

echo "== medians, and how many times slower each reference is than velkar-cli on SubRip"
python3 - "$work/times.json" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["results"]
median = {r["command"]: r["median"] for r in runs}
ours = median["velkar-cli sync (SubRip)"]
for r in runs:
    if not r["command"].startswith("cp "):
        print(f'{r["command"]}: median {r["median"] * 1000:.1f} ms ({r["median"] / ours:.1f}x)')
print("== each sync's median as a multiple of cp of the same file")
files = {"SubRip": "bench.srt", "MicroDVD": "bench.sub", "SubViewer 2.0": "bench-subviewer.sub",
         "ASS": "bench.ass", "WebVTT": "bench.vtt", "MPL2": "bench-mpl2.txt"}
for name, file in files.items():
    sync, copy = median[f"velkar-cli sync ({name})"], median[f"cp {file}"]
    print(f"{name}: sync {sync * 1000:.1f} ms, cp {copy * 1000:.1f} ms: {sync / copy:.2f}x cp")
PY
