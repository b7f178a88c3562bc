#!/usr/bin/env python3
"""Checks that `velkar-cli sync` puts every start and end exactly on the straight line through
the two anchors, rounded once (ties to even; whole hundredths for SubViewer 2.0), on generated
files of 1,000, 10,000 and 65,535 subtitles of each format, for a 23.976 -> 25 stretch and a
shift. Prints the units off for each file (0 expected) and exits 1 when any value is off.
Usage: sync_accuracy.py VELKAR_CLI
"""
import json
import subprocess
import sys
import tempfile
from fractions import Fraction
from pathlib import Path

HERE = Path(__file__).resolve().parent


def table(cli, path):
    out = subprocess.run([cli, "parse", str(path)], check=True, capture_output=True).stdout
    return [(s["start"], s["end"]) for s in json.loads(out)["subtitles"]]


def clock(ms, fmt):
    h, ms = divmod(ms, 3600000)
    m, ms = divmod(ms, 60000)
    s, ms = divmod(ms, 1000)
    if fmt == "srt":
        return f"{h:02}:{m:02}:{s:02},{ms:03}"
    return f"{h:02}:{m:02}:{s:02}.{ms // 10:02}"


def rounded(value, unit):
    """`value` (a Fraction) to the nearest multiple of `unit`, ties to the even multiple."""
    q = value / unit
    floor = q.numerator // q.denominator
    rest = q - floor
    if rest > Fraction(1, 2) or (rest == Fraction(1, 2) and floor % 2 == 1):
        floor += 1
    return floor * unit


def main():
    cli = sys.argv[1]
    worst = 0
    with tempfile.TemporaryDirectory() as work:
        for count in (1000, 10000, 65535):
            folder = Path(work) / str(count)
            subprocess.run([sys.executable, str(HERE / "make_files.py"), str(folder), str(count)],
                           check=True)
            for name, fmt, unit in (("bench.srt", "srt", 1), ("bench.sub", "sub", 1),
                                    ("bench-subviewer.sub", "svr", 10)):
                path = folder / name
                before = table(cli, path)
                x1, xl = before[0][0], before[-1][0]
                for label, y1, yl in (("stretch", x1, x1 + rounded(Fraction((xl - x1) * 25000, 23976), unit)),
                                      ("shift", x1 + 50 * unit, xl + 50 * unit)):
                    text = (lambda v: str(v)) if fmt == "sub" else (lambda v: clock(v, fmt))
                    out = folder / ("out-" + name)
                    subprocess.run([cli, "sync", str(path), "--first", text(y1), "--last", text(yl),
                                    "-o", str(out)], check=True, capture_output=True)
                    after = table(cli, out)
                    off = 0
                    for (s0, e0), (s1, e1) in zip(before, after):
                        for v, got in ((s0, s1), (e0, e1)):
                            exact = y1 + Fraction((v - x1) * (yl - y1), xl - x1)
                            want = rounded(exact, unit) if yl - y1 != xl - x1 else v + y1 - x1
                            off = max(off, abs(got - want) // unit)
                    worst = max(worst, off)
                    print(f"{count} subtitles, {name}, {label}: {off} units off")
    sys.exit(1 if worst else 0)


if __name__ == "__main__":
    main()
