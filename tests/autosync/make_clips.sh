#!/usr/bin/env bash
# Makes the short clips the sound tests decode: three spoken phrases placed at known times
# (2.0, 10.5 and 20.0 s) in quiet pink noise, 30 s long, in several containers and codecs;
# a movie without sound; and the same 30 s with noise and tones only.
# Usage: make_clips.sh FOLDER
set -euo pipefail
# The same noise and dither on every run, so the clips are the same every time.
sox() { command sox -R "$@"; }
out="$1"
# The clips of this very script: made again when the script changes.
stamp="$(sha1sum <"$0" | cut -d' ' -f1)"
[ "$(cat "$out/done" 2>/dev/null)" = "$stamp" ] && exit 0
# Made aside and moved into place whole, so a test never sees half the clips.
work="$out.making.$$"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
cd "$work"
rate=16000
phrase() { # phrase NAME TEXT: the words alone, without espeak's silence around them
    espeak-ng -v en -w "$1-raw.wav" "$2"
    sox "$1-raw.wav" -r $rate -c 1 "$1.wav" silence 1 0.01 0.5% reverse silence 1 0.01 0.5% reverse
}
phrase a "Where were you last night, when the lights went out?"
phrase b "I waited for an hour at the station and nobody came."
phrase c "Tomorrow we leave for the coast, whatever the weather."
sox -n -r $rate -c 1 noise.wav synth 30 pinknoise vol 0.02
sox a.wav a30.wav pad 2.0 40 trim 0 30
sox b.wav b30.wav pad 10.5 40 trim 0 30
sox c.wav c30.wav pad 20.0 40 trim 0 30
sox -m -v 1 noise.wav -v 1 a30.wav -v 1 b30.wav -v 1 c30.wav speech.wav
# When each phrase ends (seconds), for the tests.
for p in a b c; do soxi -D "$p.wav"; done >lengths.txt
sox -n -r $rate -c 1 tones.wav synth 30 sine 220 vol 0.05
sox -m noise.wav tones.wav quiet.wav

# A minute of dialogue: twelve lines at irregular times, and the SubRip file that times them
# right (each subtitle from its line's start to its end). The same lines in the same noise
# twice: softly spoken (the words peak 24 dB under full scale, dialogue.mkv) and loudly (8 dB
# under, dialogue-loud.mkv); the detector hears soft words start later.
lines=("Did you see the boat?" "No, I was asleep all afternoon." "It came in before noon."
    "Who was on it?" "Two men and a dog, I think." "Strange. Nobody comes here in winter."
    "They asked for your father." "My father has been gone for years."
    "That is what I told them." "And what did they say?" "They said they would wait."
    "Then we wait too.")
starts=(1.2 4.1 8.3 11.0 13.4 18.2 23.5 27.0 31.8 35.1 38.9 44.6)
mix=()
sox -n -r $rate -c 1 noise60.wav synth 50 pinknoise vol 0.02
: >dialogue.srt
for i in "${!lines[@]}"; do
    phrase "l$i" "${lines[$i]}"
    sox "l$i.wav" "p$i.wav" pad "${starts[$i]}" 0
    mix+=("p$i.wav")
    end=$(python3 -c "print(${starts[$i]} + $(soxi -D "l$i.wav"))")
    python3 - "$i" "${starts[$i]}" "$end" "${lines[$i]}" >>dialogue.srt <<'PY'
import sys
def clock(s):
    ms = round(float(s) * 1000)
    return f"{ms // 3600000:02}:{ms // 60000 % 60:02}:{ms // 1000 % 60:02},{ms % 1000:03}"
i, start, end, text = sys.argv[1:]
print(f"{int(i) + 1}\r\n{clock(start)} --> {clock(end)}\r\n{text}\r\n\r", end="\n")
PY
done
at() { # at LEVEL: each of the noise and the lines at that volume
    printf -- '-v\n%s\nnoise60.wav\n' "$1"
    printf -- "-v\n$1\n%s\n" "${mix[@]}"
}
mapfile -t soft < <(at 0.077)
mapfile -t loud < <(at 0.5)
sox -m "${soft[@]}" dialogue.wav trim 0 50
sox -m "${loud[@]}" dialogue-loud.wav trim 0 50
rm -f l*.wav p*.wav noise60.wav

picture=(-f lavfi -i color=black:s=160x120:r=25:d=30)
ff() { ffmpeg -nostdin -loglevel error -y "$@"; }
ff "${picture[@]}" -i speech.wav -c:v mpeg4 -c:a aac -b:a 96k -shortest speech-aac.mkv
ff "${picture[@]}" -i speech.wav -c:v mpeg4 -c:a aac -b:a 96k -shortest speech-aac.mp4
ff "${picture[@]}" -i speech.wav -c:v mpeg4 -c:a libmp3lame -ac 2 -ar 44100 -shortest speech-mp3.avi
ff "${picture[@]}" -i speech.wav -c:v mpeg4 -c:a ac3 -ac 6 -ar 48000 -shortest speech-ac3.mkv
ff "${picture[@]}" -i quiet.wav -c:v mpeg4 -c:a aac -shortest quiet.mkv
ff "${picture[@]}" -c:v mpeg4 nosound.mkv
# The dialogue's sound is lossless, so dialogue.srt is its truth to the millisecond: AAC as
# FFmpeg writes it into Matroska starts with 1024 samples of encoder delay that the file does
# not mark, and every decoder plays its sound that much late (64 ms at 16 kHz).
ff -f lavfi -i color=black:s=160x120:r=25:d=50 -i dialogue.wav -c:v mpeg4 -c:a flac -shortest dialogue.mkv
ff -f lavfi -i color=black:s=160x120:r=25:d=50 -i dialogue-loud.wav -c:v mpeg4 -c:a flac -shortest dialogue-loud.mkv
# Two sound streams in two languages: the three phrases tagged English and flagged default,
# then the dialogue tagged French.
ff -f lavfi -i color=black:s=160x120:r=25:d=50 -i speech.wav -i dialogue.wav -map 0:v -map 1:a \
    -map 2:a -c:v mpeg4 -c:a flac -metadata:s:a:0 language=eng -metadata:s:a:1 language=fre \
    -disposition:a:0 default -disposition:a:1 0 two-languages.mkv
# The dialogue with its right subtitles inside: SubRip, ASS and WebVTT in Matroska, mov_text
# in MP4.
ff -i dialogue.mkv -i dialogue.srt -map 0 -map 1 -c:v copy -c:a copy -c:s srt \
    -metadata:s:s:0 language=eng dialogue-subrip.mkv
for codec in ass webvtt; do
    ff -i dialogue.mkv -i dialogue.srt -map 0 -map 1 -c:v copy -c:a copy -c:s $codec dialogue-$codec.mkv
done
ff -i dialogue.mkv -i dialogue.srt -map 0:v -map 1 -c:v copy -c:s mov_text dialogue-movtext.mp4
# The loud dialogue four times over (200 s) in AAC, long enough to be decoded in time ranges;
# without noise substitution, whose random noise no two decoders make alike.
sox dialogue-loud.wav dialogue-loud.wav dialogue-loud.wav dialogue-loud.wav long.wav
ff -f lavfi -i color=black:s=160x120:r=25:d=200 -i long.wav -c:v mpeg4 -c:a aac -aac_pns 0 \
    -b:a 96k -ar 48000 -ac 2 -shortest dialogue-long.mkv
ff -f lavfi -i color=black:s=160x120:r=25:d=200 -i long.wav -c:v mpeg4 -c:a libmp3lame -ar 44100 \
    -ac 2 -shortest dialogue-long.avi
rm -f ./*-raw.wav a30.wav b30.wav c30.wav long.wav
echo "$stamp" >done
cd ..
[ "$(cat "$out/done" 2>/dev/null)" = "$stamp" ] || { rm -rf "$out"; mv "$work" "$out"; }
