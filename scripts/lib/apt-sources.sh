# Sourced by scripts/setup (and its tests): ensure_deb_src adds deb-src
# entries derived from the machine's own Debian deb entries (same URIs,
# suites, components and Signed-By) when no entry serves sources yet.
# APT_ETC names the apt configuration folder (default /etc/apt); SUDO is
# the command prefix for writing there. Sets UPDATED=0 when it added entries.
APT_ETC=${APT_ETC:-/etc/apt}
ensure_deb_src() {
  local here out tmp rc=0
  here=$(dirname "${BASH_SOURCE[0]}")
  out="$APT_ETC/sources.list.d/velmor-deb-src.sources"
  tmp=$(mktemp)
  /usr/bin/python3 "$here/deb_src.py" "$APT_ETC" "$tmp" || rc=$?
  case $rc in
    0) echo "setup: adding deb-src entries ($out)"
       ${SUDO:-} install -m 644 "$tmp" "$out"
       UPDATED=0 ;;
    3) ;;  # sources are already served
    *) echo "setup: no Debian archive entry to derive deb-src entries from" >&2 ;;
  esac
  rm -f "$tmp"
}
