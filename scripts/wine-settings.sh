# Which Wine runs the project's Windows programs, and with what settings.
# Sourced (by bash) by everything that runs Wine: scripts/wine-env.sh,
# scripts/wine-run, scripts/time-first-run.sh.
QM_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# The first wine64 or wine on PATH; Debian's wine64 package keeps its
# binaries outside PATH, in /usr/lib/wine.
WINE=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
WINESERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver)

# Each checkout has a prefix of its own, so suites in different checkouts
# never share a Wine server.
export WINEPREFIX="$QM_ROOT/build/wine-prefix"
# Present once scripts/wine-env.sh has set the prefix up for the tests.
QM_PREFIX_READY="$WINEPREFIX/.qm-ready"
# Wine takes its ANSI code page from the locale: C.UTF-8 gives 1252, as on a
# Western Windows, whatever the machine's own locale, so a name outside that
# code page (the tests of names use one) is as foreign here as there.
export LC_ALL=C.UTF-8
# No Wine diagnostics unless asked for (e.g. WINEDEBUG=+seh).
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installers; a crash ends the process instead of opening
# the debugger; shortcuts and file types an installer makes stay inside the
# prefix (winemenubuilder would copy them into the Linux desktop's menus).
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d;winemenubuilder.exe=d"

# Says so and fails when there is no Wine to run.
wine_check() {
  if [ ! -x "$WINE" ] || [ ! -x "$WINESERVER" ]; then
    echo "No Wine found (wine64 or wine on PATH, or $WINE and $WINESERVER): make run and make test install it." >&2
    return 1
  fi
}
