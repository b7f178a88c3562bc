#!/bin/sh
# Writes cue-counts.txt: for every subtitle file of the corpus (each format Velkar reads), the number of
# cues that `ffmpeg -i FILE -f srt -` reads from it as it stands (text that is not UTF-8 makes
# ffmpeg drop a cue). Run from the repository's root with the corpus beside it:
#   tests/document/mend/make_cue_counts.sh ../shared/corpus
set -eu
corpus=${1:?corpus folder}
out=$(dirname "$0")/cue-counts.txt
{
    echo "# made by $(ffmpeg -version | head -n 1 | cut -d' ' -f1-3)"
    for kind in srt microdvd subviewer ass webvtt mpl2; do
        for file in "$corpus/$kind"/*; do
            count=$(ffmpeg -nostdin -v quiet -i "$file" -f srt - 2>/dev/null | grep -c -- '-->' || true)
            echo "$kind/$(basename "$file") $count"
        done
    done
} > "$out"
