#!/usr/bin/env bash
# How late the voice detector hears speech start, voice by voice: ten phrases spoken by each of
# several voices of two synthesisers (espeak-ng and flite), placed at known times in a minute
# of quiet pink noise, and in pink noise with a tonal score at the speech's level. For each
# voice and background: the median, least and most of (heard start - true start) over the ten
# phrases, before the detector's lag is taken off and after (what the fit sees).
# Usage: bench/autosync_lag.sh [BUILD_FOLDER]   (default: build; VOICES="espeak-ng:en flite:slt"
#        chooses the voices)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
runs="$(pwd)/$build/bench/autosync/velkar_speech_runs"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
rate=16000
voices=(${VOICES:-espeak-ng:en espeak-ng:en+f3 espeak-ng:en-us+m7 espeak-ng:en-gb-scotland+Andrea
    espeak-ng:de espeak-ng:fr+f2 flite:slt flite:awb flite:rms flite:kal16})
phrases=("Where were you last night, when the lights went out?"
    "I waited for an hour at the station and nobody came."
    "Tomorrow we leave for the coast, whatever the weather."
    "Did you see the boat?" "No, I was asleep all afternoon."
    "Strange. Nobody comes here in winter." "They asked for your father."
    "Then we wait too." "Hold the door, please." "Seven horses ran across the field.")

speak() { # speak VOICE TEXT OUT.wav: the words alone, without the silence around them
    local engine=${1%%:*} name=${1#*:}
    if [ "$engine" = flite ]; then
        flite -voice "$name" -t "$2" -o "$work/raw.wav"
    else
        espeak-ng -v "$name" -w "$work/raw.wav" "$2"
    fi
    sox "$work/raw.wav" -r $rate -c 1 "$3" silence 1 0.01 0.5% reverse silence 1 0.01 0.5% reverse
}

sox -n -r $rate -c 1 "$work/noise.wav" synth 62 pinknoise
sox -n -r $rate -c 1 "$work/t1.wav" synth 62 sine 220 tremolo 0.05 100
sox -n -r $rate -c 1 "$work/t2.wav" synth 62 sine 329.6 tremolo 0.031 100
sox -m -v 1 "$work/t1.wav" -v 1 "$work/t2.wav" "$work/score.wav"
rms() { sox "$1" -n stat 2>&1 | awk '/RMS +amplitude/ {print $3}'; }

printf '%-34s %-16s %s\n' "voice" "background" "heard start - true start, ms: median (least, most)"
all="$work/all.txt"
: >"$all"
for voice in "${voices[@]}"; do
    mix=()
    : >"$work/truth.txt"
    for k in "${!phrases[@]}"; do
        start=$(echo "1.5 + $k * 6 + $((k % 3)) * 0.37" | bc -l)
        speak "$voice" "${phrases[$k]}" "$work/p$k.wav"
        sox "$work/p$k.wav" "$work/q$k.wav" pad "$start" 0
        mix+=(-v 1 "$work/q$k.wav")
        echo "$start" >>"$work/truth.txt"
    done
    sox -m "${mix[@]}" "$work/speech.wav" pad 0 2
    len=$(sox --i -D "$work/speech.wav")
    srms=$(rms "$work/speech.wav")
    for background in quiet score; do
        if [ $background = quiet ]; then
            sox -m -v 1 "$work/speech.wav" -v 0.02 "$work/noise.wav" "$work/clip.wav" trim 0 "$len"
        else
            sox -m -v 1 "$work/speech.wav" -v "$(echo "$srms / $(rms "$work/score.wav")" | bc -l)" \
                "$work/score.wav" -v "$(echo "$srms / $(rms "$work/noise.wav") / 10" | bc -l)" \
                "$work/noise.wav" "$work/clip.wav" trim 0 "$len" norm -3
        fi
        "$runs" "$work/clip.wav" >"$work/runs.txt"
        /usr/bin/python3 - "$work/truth.txt" "$work/runs.txt" "$voice" "$background" "$all" <<'PY'
import statistics, sys
truth = [float(x) * 1000 for x in open(sys.argv[1])]
runs, taken = [], 0
for line in open(sys.argv[2]):
    if line.startswith("# lag taken off:"):
        taken = int(line.split(":")[1].split()[0])
    elif line.strip():
        runs.append(tuple(map(int, line.split())))
lags = []
for t in truth:
    heard = [s for s, e in runs if t - 300 <= s <= t + 500]
    if heard:
        lags.append(heard[0] - t + taken)
missed = len(truth) - len(lags)
with open(sys.argv[5], "a") as out:
    out.writelines(f"{x}\n" for x in lags)
say = (f"{statistics.median(lags):.0f} ({min(lags):.0f}, {max(lags):.0f}) before the "
       f"{taken} ms taken off" if lags else "nothing heard")
print(f"{sys.argv[3]:<34} {sys.argv[4]:<16} {say}" + (f"; {missed} phrases missed" if missed else "")
      + f"\n{'':51}each: {' '.join(f'{x:.0f}' for x in lags)}")
PY
    done
done
/usr/bin/python3 - "$all" <<'PY'
import statistics, sys
lags = [float(x) for x in open(sys.argv[1])]
print(f"all voices: heard {statistics.median(lags):.0f} ms late at the median "
      f"(least {min(lags):.0f}, most {max(lags):.0f}) over {len(lags)} phrases")
PY
