#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer and UndefinedBehaviorSanitizer) in
# build-fuzz and runs each for SECONDS seconds (default 60), one after the other, starting from
# seed corpora made of the repository's test files and the corpus of real files beside it.
# Any finding stops the script with the fuzzer's report; new inputs stay in build-fuzz/work.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
dir=build-fuzz
corpus="$(cd .. && pwd)/shared/corpus"
targets=(subtitle avi ini conversion linestore fixsynch mending)

cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DVELKAR_FUZZ=ON -DVELKAR_BUILD_TESTS=OFF \
    -DVELKAR_BUILD_BENCH=OFF >/dev/null
cmake --build "$dir" -j"$(nproc)" --target $(printf 'velkar_%s_fuzzer ' "${targets[@]}")

# Seeds: every subtitle file of the repository and the corpus; the AVIs' first 64 KiB; settings
# and descriptor texts; time codes and numbers; for Fix Synch five parameter bytes first.
seeds="$dir/seeds"
rm -rf "$seeds"
mkdir -p "$seeds"/{subtitle,avi,ini,conversion,linestore,fixsynch,mending}
subtitles=(examples/*.srt)
[ -d "$corpus" ] && subtitles+=("$corpus"/srt/* "$corpus"/microdvd/* "$corpus"/subviewer/*
    "$corpus"/ass/* "$corpus"/webvtt/* "$corpus"/mpl2/*)
i=0
for f in "${subtitles[@]}"; do
    i=$((i + 1))
    cp "$f" "$seeds/subtitle/$i"
    head -c 16384 "$f" >"$seeds/mending/$i"
    head -c 2048 "$f" >"$seeds/linestore/$i"
    { printf '\000\377\020\360\003'; head -c 16384 "$f"; } >"$seeds/fixsynch/$i"
done
if [ -d "$corpus/avi" ]; then
    for f in "$corpus"/avi/*; do head -c 65536 "$f" >"$seeds/avi/$(basename "$f")"; done
fi
printf '\000\001[SETTINGS]\r\nBSPPath=/usr/bin/mpv\r\nUseBSP=1\r\nAgression=3\r\n' >"$seeds/ini/settings"
printf '\002\003; comment\n[Micro DVD Ini File]\n[MAIN]\nTitle=Film\nID=AB12CD34\n[s2]\nk3 = v\n' \
    >"$seeds/ini/descriptor"
n=0
for t in '00:01:02,345' '23:59:59.99' ' 125' '$7FFFFFFF' '-2147483648' '0x1F' 'x10' '+0' \
    '01:02:03.995' '99:99:99,999' '-0:00:06.84' '100:00:00.000' '1:02:03.5'; do
    n=$((n + 1))
    printf '%s' "$t" >"$seeds/conversion/$n"
done

for t in "${targets[@]}"; do
    mkdir -p "$dir/work/$t"
    log="$dir/work/$t.log"
    status=0
    "$dir/fuzz/velkar_${t}_fuzzer" -max_total_time="$seconds" -max_len=65536 -timeout=20 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$dir/work/$t-" \
        "$dir/work/$t" "$seeds/$t" >"$log" 2>&1 || status=$?
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
    echo "velkar_${t}_fuzzer: ${seconds} s, ${runs:-?} executions"
    if [ "$status" -ne 0 ]; then
        tail -n 60 "$log"
        echo "velkar_${t}_fuzzer found a fault; the input is in $dir/work/"
        exit 1
    fi
done
