#!/usr/bin/env bash
# Builds the Debian package and checks it as a Debian user would meet it: lintian (no error, no
# warning), appstreamcli validate, apt-get install, the installed programs at work (a re-timed
# example, autosync of a spoken clip through the installed sound module, velkar --version
# without a display), then apt-get purge, after which nothing of the package may be left.
# Usage: package-check.sh [BUILD_FOLDER]   (default: build; run as root or with sudo)
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
build="${1:-build}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
fail() {
    echo "package check: $*" >&2
    exit 1
}

deb="$(bash scripts/package.sh "$build" | tail -n 1)"
deb="$(realpath "$deb")"
echo "package check: $deb"

# Lintian: no error and no warning (information and pedantic notes are shown, not counted).
lintian --fail-on error,warning --display-info "$deb" || fail "lintian reports errors or warnings"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work/contents"
metainfo=("$work"/contents/usr/share/metainfo/*.metainfo.xml)
appstreamcli validate --no-net --explain "${metainfo[@]}" || fail "appstreamcli validate failed"

# A velkar left by an earlier run would hide what this package installs.
if dpkg-query -W -f='${Status}' velkar 2>/dev/null | grep -q installed; then
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq velkar
fi
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb"
dpkg-query -L velkar >"$work/files"

cli=/usr/bin/velkar-cli
[ "$(command -v velkar-cli)" = "$cli" ] || fail "velkar-cli is not on the PATH at $cli"
version="$(sed -n 's/^project(Velkar VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
[ "$("$cli" --version)" = "velkar-cli $version" ] || fail "velkar-cli --version"

# The README's example, then the same through a pipe.
"$cli" sync examples/drifting.srt --first 00:00:02,000 --last 00:00:31,100 -o "$work/fixed.srt"
grep -q '^00:00:02,000 --> ' "$work/fixed.srt" || fail "sync: the first subtitle is not at 2 s"
grep -q '^00:00:31,100 --> ' "$work/fixed.srt" || fail "sync: the last subtitle is not at 31.1 s"
"$cli" sync - --first 00:00:02,000 --last 00:00:31,100 -o - <examples/drifting.srt \
    2>/dev/null | cmp -s - "$work/fixed.srt" || fail "sync through a pipe differs"

# autosync of a spoken clip: the SubRip file that times it, 2.5 s late, restored from the
# sound through the module where the package put it.
clips="$build/tests/autosync/clips"
[ -f "$clips/done" ] || bash tests/autosync/make_clips.sh "$clips"
/usr/bin/python3 - "$clips/dialogue.srt" "$work/late.srt" <<'PY'
import re, sys
def late(m):
    h, mi, s, ms = map(int, m.groups())
    t = ((h * 60 + mi) * 60 + s) * 1000 + ms + 2500
    return "%02d:%02d:%02d,%03d" % (t // 3600000, t // 60000 % 60, t // 1000 % 60, t % 1000)
text = open(sys.argv[1], newline="").read()
open(sys.argv[2], "w", newline="").write(re.sub(r"(\d\d):(\d\d):(\d\d),(\d\d\d)", late, text))
PY
LD_DEBUG=files "$cli" autosync "$work/late.srt" "$clips/dialogue.mkv" -o "$work/restored.srt" \
    2>"$work/autosync.log" || { cat "$work/autosync.log" >&2; fail "autosync failed"; }
module="$(grep '/velkar-sound.so$' "$work/files")" || fail "the package holds no sound module"
loaded="$(sed -n 's/.*file=\([^ ]*velkar-sound\.so\) .*dynamically loaded.*/\1/p' "$work/autosync.log")"
[ -n "$loaded" ] && [ "$(realpath "$loaded")" = "$module" ] ||
    fail "autosync loaded '$loaded', not the installed module $module"
/usr/bin/python3 - "$clips/dialogue.srt" "$work/restored.srt" <<'PY'
import re, sys
def times(path):
    clocks = re.findall(r"(\d\d):(\d\d):(\d\d),(\d\d\d)", open(path).read())
    return [((int(h) * 60 + int(m)) * 60 + int(s)) * 1000 + int(ms) for h, m, s, ms in clocks]
want, got = times(sys.argv[1]), times(sys.argv[2])
worst = max(abs(a - b) for a, b in zip(want, got)) if len(want) == len(got) else None
if worst is None or worst > 150:
    sys.exit("autosync: restored times are off by %s ms" % worst)
print("package check: autosync restored every time within %d ms" % worst)
PY

# The window program answers without a display.
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/velkar --version)" = \
    "velkar $version" ] || fail "velkar --version without a display"
bash -n /usr/share/bash-completion/completions/velkar-cli || fail "the bash completion"

# Purge, then nothing of the package may be left: no file it installed, no folder only it
# used, no trace in dpkg's records.
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq velkar
if dpkg-query -W -f='${Status}' velkar 2>/dev/null | grep -qv 'not-installed'; then
    fail "dpkg still knows velkar: $(dpkg-query -W -f='${Status}' velkar)"
fi
left=0
while IFS= read -r path; do
    [ "$path" = "/." ] && continue
    if [ -e "$path" ] || [ -L "$path" ]; then
        if [ -d "$path" ] && [ ! -L "$path" ] && dpkg-query -S "$path" >/dev/null 2>&1; then
            continue # a folder other packages use too
        fi
        echo "package check: left after purge: $path" >&2
        left=1
    fi
done <"$work/files"
[ "$left" -eq 0 ] || fail "files are left after purge"
echo "package check: passed ($(wc -l <"$work/files") paths installed and removed)"
