#!/usr/bin/env python3
"""Checks that `velkar-cli sync` puts every start and end exactly on the straight line through
the two anchors, rounded once (ties to even; whole hundredths for SubViewer 2.0): on generated
files of 1,000, 10,000 and 65,535 subtitles of each format, for a 23.976 -> 25 stretch and a
shift; and on files whose subtitles start one unit apart, stretched by 1/2 and 3/2, where every
other value lies exactly halfway between two units. The times are read from the files' bytes
here, not by velkar-cli. Prints the units off and the exact halves met for each file (0 off
expected) and exits 1 when any value is off or a halves case meets no half.
Usage: sync_accuracy.py VELKAR_CLI
"""
import re
import subprocess
import sys
import tempfile
from fractions import Fraction
from pathlib import Path

HERE = Path(__file__).resolve().parent

# The time fields of each format: a subtitle's start and end, hours to units.
TIME_LINES = {
    "srt": re.compile(rb"^(\d+):(\d\d):(\d\d),(\d{3}) --> (\d+):(\d\d):(\d\d),(\d{3})"),
    "sub": re.compile(rb"^\{(\d+)\}\{(\d+)\}"),
    "svr": re.compile(rb"^(\d+):(\d\d):(\d\d)\.(\d\d),(\d+):(\d\d):(\d\d)\.(\d\d)"),
}


def table(path, fmt):
    """The (start, end) of every subtitle of the file, in ms (frames for MicroDVD)."""
    times = []
    for line in Path(path).read_bytes().splitlines():
        match = TIME_LINES[fmt].match(line)
        if not match:
            continue
        v = [int(g) for g in match.groups()]
        if fmt == "sub":
            times.append((v[0], v[1]))
        else:
            scale = 1 if fmt == "srt" else 10
            times.append(tuple(((h * 60 + m) * 60 + s) * 1000 + f * scale
                               for h, m, s, f in (v[:4], v[4:])))
    return times


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


def write_steps(path, fmt, count, unit):
    """A file whose subtitle k starts at 1 s + k units and lasts 3 units."""
    lines = []
    if fmt == "svr":
        lines += ["[INFORMATION]", "[TITLE]Steps", "[AUTHOR]", "[SOURCE]", "[PRG]", "[FILEPATH]",
                  "[DELAY]0", "[CD TRACK]0", "[COMMENT]", "[END INFORMATION]", "[SUBTITLE]",
                  "[COLF]&HFFFFFF,[STYLE]bd,[SIZE]18,[FONT]Arial"]
    for k in range(count):
        start = (25 if fmt == "sub" else 1000) + k * unit
        end = start + 3 * unit
        if fmt == "srt":
            lines += [str(k + 1), f"{clock(start, fmt)} --> {clock(end, fmt)}", "Line", ""]
        elif fmt == "sub":
            lines.append(f"{{{start}}}{{{end}}}Line")
        else:
            lines += [f"{clock(start, fmt)},{clock(end, fmt)}", "Line", ""]
    if fmt == "svr":
        lines.pop()
    Path(path).write_bytes(("\r\n".join(lines) + "\r\n").encode())


def check(cli, path, fmt, unit, y1, yl):
    """Units off at worst, and how many exact values lay halfway between two units."""
    text = (lambda v: str(v)) if fmt == "sub" else (lambda v: clock(v, fmt))
    before = table(path, fmt)
    x1, xl = before[0][0], before[-1][0]
    out = Path(path).with_name("out-" + Path(path).name)
    subprocess.run([cli, "sync", str(path), "--first", text(y1), "--last", text(yl),
                    "-o", str(out)], check=True, capture_output=True)
    after = table(out, fmt)
    if len(after) != len(before):
        return len(before), 0
    off = halves = 0
    for (s0, e0), (s1, e1) in zip(before, after):
        for v, got in ((s0, s1), (e0, e1)):
            exact = y1 + Fraction((v - x1) * (yl - y1), xl - x1)
            want = rounded(exact, unit) if yl - y1 != xl - x1 else v + y1 - x1
            halves += (exact / unit).denominator == 2
            off = max(off, abs(got - want) // unit)
    return off, halves


FORMATS = (("bench.srt", "srt", 1), ("bench.sub", "sub", 1), ("bench-subviewer.sub", "svr", 10))


def main():
    cli = sys.argv[1]
    failed = False
    with tempfile.TemporaryDirectory() as work:
        for count in (1000, 10000, 65535):
            folder = Path(work) / str(count)
            subprocess.run([sys.executable, str(HERE / "make_files.py"), str(folder), str(count)],
                           check=True)
            for name, fmt, unit in FORMATS:
                path = folder / name
                x1, xl = table(path, fmt)[0][0], table(path, fmt)[-1][0]
                for label, y1, yl in (("stretch", x1, x1 + rounded(Fraction((xl - x1) * 25000, 23976), unit)),
                                      ("shift", x1 + 50 * unit, xl + 50 * unit)):
                    off, halves = check(cli, path, fmt, unit, y1, yl)
                    failed = failed or off != 0
                    print(f"{count} subtitles, {name}, {label}: {off} units off "
                          f"({halves} exact halves)")
        # Starts one unit apart over 2,000 units: stretched by 1/2 or 3/2, every other value
        # lands exactly between two units, rounding up as often as down when ties go to even.
        for name, fmt, unit in FORMATS:
            path = Path(work) / ("steps-" + name)
            write_steps(path, fmt, 2001, unit)
            x1 = table(path, fmt)[0][0]
            for label, ratio in (("halved", Fraction(1, 2)), ("times 1.5", Fraction(3, 2))):
                y1 = x1 + 7 * unit
                off, halves = check(cli, path, fmt, unit, y1, y1 + int(2000 * unit * ratio))
                failed = failed or off != 0 or halves == 0
                print(f"2001 steps of one unit, {name}, {label}: {off} units off "
                      f"({halves} exact halves)")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
