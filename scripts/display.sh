# Sourced by the scripts that run programs under Wine: a virtual X display of their own.
#   start_xvfb [WxH]  starts Xvfb on the first free display number from :90 (a screen of
#                WxH pixels, 1024x768 unless given), exports DISPLAY and sets xvfb to the
#                server's process id
#   stop_xvfb    stops it (always call it: the scripts' displays never outlive them)
start_xvfb() {
  n=90
  while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
  Xvfb :$n -screen 0 "${1:-1024x768}x24" -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=:$n
  sleep 1
}

stop_xvfb() {
  kill "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
}
