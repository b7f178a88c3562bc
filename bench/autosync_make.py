"""Test material for bench/autosync_bench.sh (Debian's /usr/bin/python3, standard library only).

  autosync_make.py speech WORK PARSED.json NAME   ten minutes of speech at the subtitles' times
  autosync_make.py break WORK NAME                the subtitle files broken in known ways
  autosync_make.py score TRUTH.json FIXED.json LATE [CUT_AT LOST]   start errors of a restored
                                                  file, the movie's sound LATE ms late
  autosync_make.py long WORK NAME COPIES           a SubRip file repeating NAME's every 10 min
"""
import json, os, random, subprocess, sys, wave, array

RATE = 16000
CLIP_MS = 600000
WORDS = ("the night was long and cold when they came down from the hills nobody spoke "
         "a word until the fire was lit and the bread was shared then the old man told "
         "them what he had seen on the road far away where the river turns").split()


def clock(ms):
    ms = max(0, int(round(ms)))
    return f"{ms // 3600000:02}:{ms // 60000 % 60:02}:{ms // 1000 % 60:02},{ms % 1000:03}"


def write_srt(path, subs):
    with open(path, "w", encoding="utf-8", newline="") as f:
        for k, (s, e, text) in enumerate(subs):
            f.write(f"{k + 1}\r\n{clock(s)} --> {clock(e)}\r\n{text}\r\n\r\n")


def phrases(work, count=24):
    pool = os.path.join(work, "pool")
    os.makedirs(pool, exist_ok=True)
    rnd = random.Random(1)
    samples = []
    for k in range(count):
        path = os.path.join(pool, f"p{k}.wav")
        if not os.path.exists(path):
            text = " ".join(rnd.choice(WORDS) for _ in range(rnd.randint(3, 9)))
            subprocess.run(["espeak-ng", "-v", "en", "-s", str(rnd.randint(150, 190)),
                            "-w", path + ".raw.wav", text], check=True)
            subprocess.run(["sox", path + ".raw.wav", "-r", str(RATE), "-c", "1", "-b", "16", path,
                            "silence", "1", "0.01", "0.5%", "reverse", "silence", "1", "0.01",
                            "0.5%", "reverse"], check=True)
            os.remove(path + ".raw.wav")
        with wave.open(path) as w:
            samples.append(array.array("h", w.readframes(w.getnframes())))
    return samples


def speech(work, parsed, name):
    subs = json.load(open(parsed))["subtitles"]
    subs = [s for s in subs if 0 <= s["start"] < s["end"] <= CLIP_MS - 1000]
    pool = phrases(work)
    rnd = random.Random(name)
    track = array.array("h", bytes(2 * RATE * CLIP_MS // 1000))
    for s in subs:
        # Speech from the subtitle's start, phrase after phrase, until its end.
        at = s["start"] * RATE // 1000
        end = s["end"] * RATE // 1000
        while at < end - RATE // 5:
            p = rnd.choice(pool)
            n = min(len(p), end - at)
            for i in range(n):
                track[at + i] = max(-32768, min(32767, track[at + i] + p[i]))
            at += n + RATE * 15 // 100
    with wave.open(os.path.join(work, name + "-speech.wav"), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(track.tobytes())
    truth = [[s["start"], s["end"], "line %d" % (k + 1)] for k, s in enumerate(subs)]
    json.dump(truth, open(os.path.join(work, name + "-truth.json"), "w"))
    write_srt(os.path.join(work, name + "-truth.srt"), truth)


# Damages: file time = (true - offset) / stretch, i.e. true = stretch * file + offset.
CASES = {
    "late58": (1.0, -58000.0),
    "early44": (1.0, 44000.0),
    "s25on23976": (25.0 / (24000 / 1001), -12000.0),
    "s23976on25": ((24000 / 1001) / 25.0, 31000.0),
    "s24on25": (24.0 / 25.0, -40000.0),
    "s25on24": (25.0 / 24.0, 5000.0),
}


def break_files(work, name):
    truth = json.load(open(os.path.join(work, name + "-truth.json")))
    for case, (stretch, offset) in CASES.items():
        kept, broken = [], []
        for s, e, text in truth:
            fs, fe = (s - offset) / stretch, (e - offset) / stretch
            if fs >= 0:
                kept.append([s, e, text])
                broken.append([fs, fe, text])
        write_srt(os.path.join(work, f"{name}-{case}.srt"), broken)
        json.dump(kept, open(os.path.join(work, f"{name}-{case}-truth.json"), "w"))
    # The cut: the movie lost 12 s at 5:00; the file keeps the uncut times, 20 s late.
    broken = [[s + 20000, e + 20000, t] for s, e, t in truth]
    write_srt(os.path.join(work, f"{name}-cut.srt"), broken)
    json.dump(truth, open(os.path.join(work, f"{name}-cut-truth.json"), "w"))


def score(truth_path, fixed_path, late, cut_at=None, lost=None):
    truth = json.load(open(truth_path))
    fixed = json.load(open(fixed_path))["subtitles"]
    errors = []
    for (s, e, _), f in zip(truth, fixed):
        want = s
        if cut_at is not None:
            if e > cut_at and s < cut_at + lost:
                continue  # spoken in the part that was cut
            if s >= cut_at + lost:
                want = s - lost
        errors.append(abs(f["start"] - (want + late)))
    errors = sorted(round(e) for e in errors)
    p95 = errors[min(len(errors) - 1, int(0.95 * len(errors)))]
    median = errors[len(errors) // 2]
    print(f"{len(errors)} starts: median {median} ms, p95 {p95} ms, worst {errors[-1]} ms")
    return median, p95


def long_file(work, name, copies):
    truth = json.load(open(os.path.join(work, name + "-truth.json")))
    subs = [[s + k * CLIP_MS, e + k * CLIP_MS, t] for k in range(copies) for s, e, t in truth]
    write_srt(os.path.join(work, f"{name}-long.srt"), subs)


if __name__ == "__main__":
    what = sys.argv[1]
    if what == "speech":
        speech(sys.argv[2], sys.argv[3], sys.argv[4])
    elif what == "break":
        break_files(sys.argv[2], sys.argv[3])
    elif what == "score":
        args = [float(a) for a in sys.argv[4:]]
        median, p95 = score(sys.argv[2], sys.argv[3], *args)
        sys.exit(0 if median < 30 and p95 <= 150 else 3)
    elif what == "long":
        long_file(sys.argv[2], sys.argv[3], int(sys.argv[4]))
