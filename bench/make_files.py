#!/usr/bin/env python3
"""Writes 65,535-subtitle files of each format into a folder, for timing whole runs.

All times stay under 24 hours so that a re-timed copy can be written back.
Usage: make_files.py FOLDER [COUNT]   (COUNT subtitles a file, 65,535 unless given)
"""
import random
import sys
from pathlib import Path

COUNT = 65535
WORDS = ["Where", "are", "you", "going", "tonight", "I", "told", "him", "the", "truth",
         "caf\u00e9", "\u03ba\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1"]


def text(rng):
    return " ".join(rng.choice(WORDS) for _ in range(rng.randint(2, 6)))


def times(rng, count):
    """Starts and ends in milliseconds: about 1.2 s apart, so 65,535 of them fit in 22 hours."""
    t = 1000
    for _ in range(count):
        length = rng.randint(700, 1100)
        yield t, t + length
        t += length + rng.randint(50, 200)


def clock(ms, sep=",", digits=3):
    h, ms = divmod(ms, 3600000)
    m, ms = divmod(ms, 60000)
    s, ms = divmod(ms, 1000)
    frac = ms if digits == 3 else ms // 10
    return f"{h:02}:{m:02}:{s:02}{sep}{frac:0{digits}}"


def ass_clock(ms):
    """h:mm:ss.cc, the hour with as many digits as it needs."""
    return str(ms // 3600000) + clock(ms, ".", 2)[2:]


def main():
    folder = Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    rng = random.Random(2026)
    srt, sub, svr, mpl2 = [], [], [], []
    ass = ["[Script Info]", "ScriptType: v4.00+", "PlayResX: 1920", "PlayResY: 1080", "",
           "[V4+ Styles]",
           "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, "
           "BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, "
           "BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding",
           "Style: Default,Arial,48,&H00FFFFFF,&H000000FF,&H00000000,&H00000000,0,0,0,0,100,100,"
           "0,0,1,2,1,2,10,10,10,1", "", "[Events]",
           "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text"]
    vtt = ["WEBVTT", ""]
    svr += ["[INFORMATION]", "[TITLE]Benchmark", "[AUTHOR]", "[SOURCE]", "[PRG]", "[FILEPATH]",
            "[DELAY]0", "[CD TRACK]0", "[COMMENT]", "[END INFORMATION]", "[SUBTITLE]",
            "[COLF]&HFFFFFF,[STYLE]bd,[SIZE]18,[FONT]Arial"]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else COUNT
    for k, (start, end) in enumerate(times(rng, count), 1):
        pieces = [text(rng) for _ in range(rng.randint(1, 2))]
        srt += [str(k), f"{clock(start)} --> {clock(end)}", *pieces, ""]
        sub.append(f"{{{start * 25 // 1000}}}{{{end * 25 // 1000}}}" + "|".join(pieces))
        svr += [f"{clock(start, '.', 2)},{clock(end, '.', 2)}", "[br]".join(pieces), ""]
        ass.append(f"Dialogue: 0,{ass_clock(start)},{ass_clock(end)},Default,,"
                   "0,0,0,," + "\\N".join(pieces))
        vtt += [f"{clock(start, '.')} --> {clock(end, '.')}", *pieces, ""]
        mpl2.append(f"[{start // 100}][{end // 100}]" + "|".join(pieces))
    svr.pop()
    vtt.pop()
    for name, lines in (("bench.srt", srt), ("bench.sub", sub), ("bench-subviewer.sub", svr),
                        ("bench.ass", ass), ("bench.vtt", vtt), ("bench-mpl2.txt", mpl2)):
        (folder / name).write_bytes(("\r\n".join(lines) + "\r\n").encode("utf-8"))


if __name__ == "__main__":
    main()
