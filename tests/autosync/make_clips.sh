#!/usr/bin/env bash
# Makes the short clips the sound tests decode: three spoken phrases placed at known times
# (2.0, 10.5 and 20.0 s) in quiet pink noise, 30 s long, in several containers and codecs;
# a movie without sound; and the same 30 s with noise and tones only.
# Usage: make_clips.sh FOLDER
set -euo pipefail
out="$1"
[ -f "$out/done" ] && exit 0
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
for p in a b c; do sox --i -D "$p.wav"; done >lengths.txt
sox -n -r $rate -c 1 tones.wav synth 30 sine 220 vol 0.05
sox -m noise.wav tones.wav quiet.wav

picture=(-f lavfi -i color=black:s=160x120:r=25:d=30)
ff() { ffmpeg -nostdin -loglevel error -y "$@"; }
ff "${picture[@]}" -i speech.wav -c:v mpeg4 -c:a aac -b:a 96k -shortest speech-aac.mkv
ff "${picture[@]}" -i speech.wav -c:v mpeg4 -c:a aac -b:a 96k -shortest speech-aac.mp4
ff "${picture[@]}" -i speech.wav -c:v mpeg4 -c:a libmp3lame -ac 2 -ar 44100 -shortest speech-mp3.avi
ff "${picture[@]}" -i speech.wav -c:v mpeg4 -c:a ac3 -ac 6 -ar 48000 -shortest speech-ac3.mkv
ff "${picture[@]}" -i quiet.wav -c:v mpeg4 -c:a aac -shortest quiet.mkv
ff "${picture[@]}" -c:v mpeg4 nosound.mkv
rm -f ./*-raw.wav a30.wav b30.wav c30.wav
touch done
cd ..
rm -rf "$out"
mv "$work" "$out" 2>/dev/null || [ -f "$out/done" ]
