#!/usr/bin/env bash
# How late the voice detector hears speech start and end, and how close `velkar-cli autosync`
# puts the subtitles, voice by voice: the tests' twelve lines of dialogue spoken by each of
# several voices of two synthesisers (espeak-ng and flite) at known times in 50 s of pink
# noise: loud words in quiet noise, the same 22 dB softer, and under a tonal score at the
# speech's level. For each voice and background: the median, least and most of (heard start -
# true start) over the lines before the detector's lag is taken off, the median of (heard end -
# true end), and the median of |restored start - true start| when the SubRip file that times
# the lines, put 3.2 s late, is restored from the clip.
# Usage: bench/autosync_lag.sh [BUILD_FOLDER]   (default: build; VOICES="espeak-ng:en flite:slt"
#        chooses the voices)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
runs="$(pwd)/$build/bench/autosync/velkar_speech_runs"
cli="$(pwd)/$build/cli/velkar-cli"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# The same noise and dither on every run, so that runs compare.
sox() { command sox -R "$@"; }
rate=16000
voices=(${VOICES:-espeak-ng:en espeak-ng:en+f3 espeak-ng:en-us+m7 espeak-ng:en-gb-scotland+Andrea
    espeak-ng:de espeak-ng:fr+f2 flite:slt flite:awb flite:rms flite:kal16})
# The lines start at uneven times (s), as in a film, so that the subtitles fit one offset only.
phrases=("Did you see the boat?" "No, I was asleep all afternoon." "It came in before noon."
    "Who was on it?" "Two men and a dog, I think." "Strange. Nobody comes here in winter."
    "They asked for your father." "My father has been gone for years."
    "That is what I told them." "And what did they say?" "They said they would wait."
    "Then we wait too.")
starts=(1.2 4.1 8.3 11.0 13.4 18.2 23.5 27.0 31.8 35.1 38.9 44.6)

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

printf '%-34s %-8s %s\n' "voice" "background" \
    "heard start - true start, ms: median (least, most); heard end - true end: median"
all="$work/all.txt"
fits="$work/fits.txt"
: >"$all"
: >"$fits"
for voice in "${voices[@]}"; do
    mix=()
    : >"$work/truth.txt"
    for k in "${!phrases[@]}"; do
        speak "$voice" "${phrases[$k]}" "$work/p$k.wav"
        start=${starts[$k]}
        sox "$work/p$k.wav" "$work/q$k.wav" pad "$start" 0
        mix+=(-v 1 "$work/q$k.wav")
        echo "$start $(soxi -D "$work/p$k.wav")" >>"$work/truth.txt"
    done
    sox -m "${mix[@]}" "$work/speech.wav" pad 0 4
    len=$(soxi -D "$work/speech.wav")
    srms=$(rms "$work/speech.wav")
    for background in quiet soft score; do
        if [ $background = quiet ]; then
            sox -m -v 1 "$work/speech.wav" -v 0.02 "$work/noise.wav" "$work/clip.wav" trim 0 "$len"
        elif [ $background = soft ]; then
            sox -m -v 0.077 "$work/speech.wav" -v 0.00154 "$work/noise.wav" "$work/clip.wav" \
                trim 0 "$len"
        else
            sox -m -v 1 "$work/speech.wav" -v "$(echo "$srms / $(rms "$work/score.wav")" | bc -l)" \
                "$work/score.wav" -v "$(echo "$srms / $(rms "$work/noise.wav") / 10" | bc -l)" \
                "$work/noise.wav" "$work/clip.wav" trim 0 "$len" norm -3
        fi
        "$runs" "$work/clip.wav" >"$work/runs.txt"
        /usr/bin/python3 - "$work/truth.txt" "$work/late.srt" <<'PY'
import sys
def clock(ms):
    ms = round(ms)
    return f"{ms // 3600000:02}:{ms // 60000 % 60:02}:{ms // 1000 % 60:02},{ms % 1000:03}"
with open(sys.argv[2], "w") as out:
    for k, line in enumerate(open(sys.argv[1])):
        start, length = (float(x) * 1000 for x in line.split())
        out.write(f"{k + 1}\n{clock(start + 3200)} --> {clock(start + length + 3200)}\n"
                  f"line {k + 1}\n\n")
PY
        rm -f "$work/restored.srt"
        "$cli" autosync "$work/late.srt" "$work/clip.wav" -o "$work/restored.srt" \
            >"$work/fit.txt" 2>&1 || true
        /usr/bin/python3 - "$work/truth.txt" "$work/runs.txt" "$voice" "$background" "$all" \
            "$work/restored.srt" "$work/fit.txt" "$fits" <<'PY'
import os, re, statistics, sys
spans = [tuple(float(x) * 1000 for x in line.split()) for line in open(sys.argv[1])]
truth = [s for s, _ in spans]
runs, taken = [], 0
for line in open(sys.argv[2]):
    if line.startswith("# lag taken off:"):
        taken = int(line.split(":")[1].split()[0])
    elif line.strip():
        runs.append(tuple(map(int, line.split())))
lags, tails = [], []
for t, length in spans:
    heard = [(s, e) for s, e in runs if t - 300 <= s <= t + 500]
    if heard:
        lags.append(heard[0][0] - t + taken)
        ends = [e for s, e in runs if heard[0][0] <= s < t + length + 300]
        tails.append(ends[-1] - (t + length) + taken)
missed = len(truth) - len(lags)
if os.path.exists(sys.argv[6]):
    clocks = re.findall(r"(\d\d):(\d\d):(\d\d),(\d\d\d) -->", open(sys.argv[6]).read())
    starts = [((int(h) * 60 + int(m)) * 60 + int(s)) * 1000 + int(z) for h, m, s, z in clocks]
    errors = [b - a for a, b in zip(truth, starts)]
    with open(sys.argv[8], "a") as out:
        out.write(f"{statistics.median(abs(e) for e in errors)}\n")
    fitted = (f"restored starts {statistics.median(abs(e) for e in errors):.0f} ms off at the "
              f"median ({min(errors):+.0f} to {max(errors):+.0f}); "
              + open(sys.argv[7]).readline().strip())
else:
    with open(sys.argv[8], "a") as out:
        out.write("refused\n")
    fitted = "not restored: " + open(sys.argv[7]).read().strip()
with open(sys.argv[5], "a") as out:
    out.writelines(f"{x}\n" for x in lags)
say = (f"{statistics.median(lags):.0f} ({min(lags):.0f}, {max(lags):.0f}) before the "
       f"{taken} ms taken off; ends {statistics.median(tails):.0f}" if lags else "nothing heard")
print(f"{sys.argv[3]:<34} {sys.argv[4]:<8} {say}" + (f"; {missed} phrases missed" if missed else "")
      + f"\n{'':43}each: {' '.join(f'{x:.0f}' for x in lags)}\n{'':43}{fitted}")
PY
    done
done
/usr/bin/python3 - "$all" "$fits" <<'PY'
import statistics, sys
lags = [float(x) for x in open(sys.argv[1])]
print(f"all voices: heard {statistics.median(lags):.0f} ms late at the median "
      f"(least {min(lags):.0f}, most {max(lags):.0f}) over {len(lags)} phrases")
fits = [line.strip() for line in open(sys.argv[2])]
off = sorted(float(x) for x in fits if x != "refused")
if off:
    print(f"restored starts: {statistics.median(off):.0f} ms off at the median of the clips' "
          f"medians ({off[0]:.0f} to {off[-1]:.0f}) over {len(off)} clips; "
          f"{len(fits) - len(off)} of {len(fits)} refused")
PY
