#!/usr/bin/env bash
# Installs, builds and starts Field Console with the built-in simulated controller chosen as its port
# (--demo: port 0 for this run only; the stored port is left as it was), so it is useful without
# hardware. Log in, then Connection > Connect and Window > New Window...
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: no display found (DISPLAY and WAYLAND_DISPLAY are empty)." >&2
  echo "Start it from a desktop session, or on a virtual one: apt-get install xvfb; xvfb-run -a bash scripts/run.sh" >&2
  exit 1
fi
exec ./build/bin/field-console --demo "$@"
