# Shared by the guest's jobs (sourced inside the emulated machine, from the
# job folder that the host shares as /mnt/job).

export WINEPREFIX=/root/.wine WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
export LANG=en_US.UTF-8 LC_ALL=C.UTF-8
# Tests that count frames per second of wall time relax their lower bounds.
export VELMOR_EMULATED=1
GUEST_BIN=/opt/velmor

# Wine maps PE images from the file; over 9p that mapping served wrong pages
# for large images, so the programs run from a copy on the guest's own disk,
# checked against the host's checksums.
copy_programs() {
  rm -rf "$GUEST_BIN" && mkdir -p "$GUEST_BIN"
  cp bin/* "$GUEST_BIN/"
  (cd "$GUEST_BIN" && sha256sum --quiet -c /mnt/job/bin.sha256) || {
    echo "guest: the copied programs differ from the host's"; return 1; }
}

start_display() {
  Xvfb :7 -screen 0 "${1:-1280x1024x24}" -nolisten tcp > /tmp/xvfb.log 2>&1 &
  local tries=0
  while [ ! -S /tmp/.X11-unix/X7 ] && [ $tries -lt 300 ]; do sleep 0.2; tries=$((tries + 1)); done
  [ -S /tmp/.X11-unix/X7 ] || { echo "guest: Xvfb did not start"; cat /tmp/xvfb.log; return 1; }
  export DISPLAY=:7
  wineserver -p
}

stop_display() {
  wineserver -k 2>/dev/null || true
  pkill Xvfb 2>/dev/null || true
}

# Runs a command with its output in LOG and stops it once LOG has not grown
# for IDLE seconds (a hung test prints nothing more). Returns the command's
# status, 124 when it was stopped.
run_watched() {
  local log=$1 idle_limit=$2 pid size last=-1 idle=0
  shift 2
  "$@" > "$log" 2>&1 &
  pid=$!
  while kill -0 "$pid" 2>/dev/null; do
    sleep 2
    size=$(stat -c %s "$log")
    if [ "$size" != "$last" ]; then last=$size; idle=0; else idle=$((idle + 2)); fi
    if [ "$idle" -ge "$idle_limit" ]; then
      echo "guest: no output for $idle_limit s, stopping $*"
      wineserver -k 2>/dev/null || true
      kill "$pid" 2>/dev/null; sleep 2; kill -9 "$pid" 2>/dev/null
      wait "$pid" 2>/dev/null
      wineserver -p 2>/dev/null || true
      return 124
    fi
  done
  wait "$pid"
}

# Runs one GoogleTest program (in GUEST_BIN) as one process, writing
# results/NAME.N.log and results/NAME.N.status for run N. When the process
# dies or hangs during a test, the next run leaves out every test that had
# started, so a crash costs only the test that caused it.
run_gtest() {
  local exe=$1 name=${1%.exe} run=0 skip="" filter log status started
  while [ $run -lt 40 ]; do
    run=$((run + 1))
    log=results/$name.$run.log
    filter=${FILTER:-*}
    # GoogleTest reads "-A:B" as "*-A:B".
    [ -n "$skip" ] && { [ "$filter" = '*' ] && filter="-$skip" || filter="$filter-$skip"; }
    echo "guest: $exe, run $run"
    run_watched "$log" "$IDLE_LIMIT" wine "$GUEST_BIN/$exe" --gtest_filter="$filter"
    status=$?
    echo "$status" > "results/$name.$run.status"
    grep -aq '^\[==========\] .* ran\.' "$log" && return 0
    started=$(sed -n 's/\r$//; s/^\[ RUN      \] //p' "$log" | paste -sd:)
    [ -n "$started" ] || return 0
    echo "guest: $exe ended during a test (status $status); going on after it"
    skip=${skip:+$skip:}$started
  done
}
