#!/usr/bin/env bash
# The set-up's deb-src entries against copies of apt's source folders: apt
# must accept them next to the machine's own entries (same Signed-By), and a
# machine that already serves sources is left alone. apt only parses here
# (--print-uris): nothing is downloaded.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# apt with its sources taken from $1 only; prints the index URIs it would fetch.
apt_uris() {
  mkdir -p "$1/lists/partial"
  apt-get -o Dir::Etc::SourceList="$1/sources.list" -o Dir::Etc::SourceParts="$1/sources.list.d" \
          -o Dir::State::Lists="$1/lists" --print-uris update 2>&1
}

# Runs the set-up's own step on folder $1.
derive() { (APT_ETC="$1" SUDO="" UPDATED=1; . "$root/scripts/lib/apt-sources.sh"; ensure_deb_src >/dev/null; echo "$UPDATED"); }

new_etc() { local d="$work/$1"; mkdir -p "$d/sources.list.d"; : > "$d/sources.list"; echo "$d"; }

keyring=/usr/share/keyrings/debian-archive-keyring.gpg

# 1. deb822 entries with Signed-By, as on this project's machines.
etc=$(new_etc deb822)
cat > "$etc/sources.list.d/debian.sources" <<SRC
Types: deb
# a comment inside the stanza
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: $keyring

Types: deb
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: $keyring
SRC
# What an entry without Signed-By does to apt there: the fault being guarded.
cp -r "$etc" "$work/unsigned"
printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm\nComponents: main\n' \
  > "$work/unsigned/sources.list.d/zz-unsigned.sources"
out=$(apt_uris "$work/unsigned")
grep -q "Conflicting values set for option Signed-By" <<<"$out" ||
  fail "apt accepted a deb-src entry without Signed-By (the check cannot see the fault)"
[ "$(derive "$etc")" = 0 ] || fail "deb822: no entries added"
out=$(apt_uris "$etc"); rc=$?
[ $rc -eq 0 ] || fail "deb822: apt refused the derived entries: $out"
for suite in bookworm bookworm-updates; do
  grep -q "debian/dists/$suite/main/source/Sources" <<<"$out" || fail "deb822: no sources of $suite"
done
grep -q "debian-security/dists/bookworm-security/main/source/Sources" <<<"$out" || fail "deb822: no security sources"
grep -q "Signed-By: $keyring" "$etc/sources.list.d/velmor-deb-src.sources" || fail "deb822: Signed-By not carried over"

# 2. The one-line format with options.
etc=$(new_etc oneline)
cat > "$etc/sources.list" <<SRC
deb [arch=amd64 signed-by=$keyring] http://deb.debian.org/debian bookworm main contrib
# deb http://example.invalid/commented bookworm main
deb [signed-by=$keyring] http://deb.debian.org/debian-security bookworm-security main
SRC
[ "$(derive "$etc")" = 0 ] || fail "one-line: no entries added"
out=$(apt_uris "$etc"); rc=$?
[ $rc -eq 0 ] || fail "one-line: apt refused the derived entries: $out"
grep -q "debian/dists/bookworm/contrib/source/Sources" <<<"$out" || fail "one-line: components not carried over"
grep -q "example.invalid" "$etc/sources.list.d/velmor-deb-src.sources" && fail "one-line: a commented entry was used"

# 3. Sources already served: nothing is written, a second run adds nothing.
etc=$(new_etc served)
printf 'deb http://deb.debian.org/debian bookworm main\ndeb-src http://deb.debian.org/debian bookworm main\n' > "$etc/sources.list"
[ "$(derive "$etc")" = 1 ] || fail "served: entries were added"
[ -e "$etc/sources.list.d/velmor-deb-src.sources" ] && fail "served: a file was written"
[ "$(derive "$work/deb822")" = 1 ] || fail "deb822: a second run added entries again"

# 4. This machine's own folder, copied.
etc=$(new_etc machine)
cp /etc/apt/sources.list "$etc/" 2>/dev/null || true
cp /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources "$etc/sources.list.d/" 2>/dev/null || true
derive "$etc" >/dev/null
out=$(apt_uris "$etc"); rc=$?
[ $rc -eq 0 ] || fail "this machine: apt refused its sources after the set-up step: $out"

[ $failures -eq 0 ] && echo "deb-src set-up: all checks passed"
exit $((failures > 0))
