# Sourced by the make targets that run Windows programs: a Wine prefix in
# build/, a display (our own Xvfb when there is none), a persistent Wine
# server and a keep-alive program so explorer.exe is not restarted for each
# test. wine_env_stop undoes what wine_env_start started.
QM_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="$QM_ROOT/build/wine-prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
QM_XVFB_PID=""
QM_KEEPALIVE_PID=""

wine_env_start() {
  if [ -z "${DISPLAY:-}" ]; then
    local n
    for n in $(seq 91 120); do
      [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
    done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    QM_XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
    echo "No DISPLAY: started Xvfb on $DISPLAY"
  fi
  if [ ! -f "$WINEPREFIX/.qm-ready" ]; then
    mkdir -p "$WINEPREFIX"
    $WINE wineboot -i </dev/null >/dev/null 2>&1 || true
    # Without a window manager Wine waits 2 s whenever a managed window hides.
    $WINE reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    $WINESERVER -k >/dev/null 2>&1 || true
    touch "$WINEPREFIX/.qm-ready"
  fi
  $WINESERVER -p </dev/null >/dev/null 2>&1 || true
  $WINE wineboot </dev/null >/dev/null 2>&1 || true
  local keepalive="$QM_ROOT/build/windows/tests/wine/keepalive.exe"
  if [ -x "$keepalive" ] || [ -f "$keepalive" ]; then
    $WINE "$keepalive" </dev/null >/dev/null 2>&1 &
    QM_KEEPALIVE_PID=$!
  fi
}

wine_env_stop() {
  [ -n "$QM_KEEPALIVE_PID" ] && kill "$QM_KEEPALIVE_PID" 2>/dev/null
  $WINESERVER -k >/dev/null 2>&1 || true
  if [ -n "$QM_XVFB_PID" ]; then
    kill "$QM_XVFB_PID" 2>/dev/null
    wait "$QM_XVFB_PID" 2>/dev/null
  fi
  return 0
}

# The Windows form of a Linux path (Wine maps / to drive Z:).
winepath_of() {
  local p
  p=$(readlink -f "$1")
  echo "Z:${p//\//\\}"
}
