# Sourced by the make targets that run Windows programs: a Wine prefix in
# build/, a display (our own Xvfb when there is none), a persistent Wine
# server and a keep-alive program so explorer.exe is not restarted for each
# test. wine_env_stop undoes what wine_env_start started.
# scripts/with-wine-env runs one command inside that environment.
. "$(dirname "${BASH_SOURCE[0]}")/wine-settings.sh"
QM_XVFB_PID=""
QM_KEEPALIVE_PID=""

wine_env_start() {
  wine_check || return 1
  if [ -z "${DISPLAY:-}" ]; then
    # The server picks a free display itself and writes its number once it
    # accepts connections, so two runs on one machine never share a screen.
    local numberFile errorFile
    numberFile=$(mktemp)
    errorFile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numberFile" >/dev/null 2>"$errorFile" &
    QM_XVFB_PID=$!
    local i n=""
    for i in $(seq 1 600); do
      n=$(tr -dc '0-9' <"$numberFile")
      [ -n "$n" ] && break
      kill -0 "$QM_XVFB_PID" 2>/dev/null || break
      sleep 0.05
    done
    rm -f "$numberFile"
    if [ -z "$n" ]; then
      echo "wine-env: Xvfb did not come up (is the xvfb package installed?). It said:" >&2
      if [ -s "$errorFile" ]; then sed 's/^/  /' "$errorFile" >&2; else echo "  nothing within 30 s" >&2; fi
      rm -f "$errorFile"
      kill "$QM_XVFB_PID" 2>/dev/null
      QM_XVFB_PID=""
      return 1
    fi
    rm -f "$errorFile"
    export DISPLAY=":$n"
    echo "No DISPLAY: started Xvfb on $DISPLAY"
  fi
  if [ ! -f "$QM_PREFIX_READY" ]; then
    mkdir -p "$WINEPREFIX"
    "$WINE" wineboot -i </dev/null >/dev/null 2>&1 || true
    # Without a window manager Wine waits 2 s whenever a managed window hides.
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    "$WINESERVER" -k >/dev/null 2>&1 || true
    touch "$QM_PREFIX_READY"
  fi
  "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
  "$WINE" wineboot </dev/null >/dev/null 2>&1 || true
  local keepalive="$QM_ROOT/build/windows/tests/support/keepalive.exe"
  if [ -x "$keepalive" ] || [ -f "$keepalive" ]; then
    "$WINE" "$keepalive" </dev/null >/dev/null 2>&1 &
    QM_KEEPALIVE_PID=$!
  fi
}

wine_env_stop() {
  [ -n "$QM_KEEPALIVE_PID" ] && kill "$QM_KEEPALIVE_PID" 2>/dev/null
  "$WINESERVER" -k >/dev/null 2>&1 || true
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
