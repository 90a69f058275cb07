# Shared by the end-to-end scripts that drive the real program under Xvfb
# (sourced): the tools they need, a work folder removed at the end with
# every process started into `pids`, waiting with a deadline, and the X
# server.
for tool in Xvfb xdotool setpriv; do
  command -v "$tool" >/dev/null ||
    { echo "skipped: $tool is not installed (scripts/test.sh installs it)"; exit 77; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  chmod -R u+rwX "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Waits up to 30 s (a sanitizer build starts slowly) for a command to succeed.
wait_for() {
  for _ in $(seq 300); do "$@" && return 0; sleep 0.1; done
  return 1
}

# An X server of its own, for any user (-ac); DISPLAY names it.
# -noreset: otherwise the server starts afresh each time its last client (a
# program that ended, an xdotool call) goes, and a client connecting just
# then is turned away.
start_xvfb() {
  Xvfb -displayfd 3 -noreset -ac -screen 0 800x480x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
  pids+=($!)
  wait_for test -s "$work/display" || { echo "FAILED: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$(cat "$work/display")"
}
