#!/usr/bin/env bash
# Installs, builds and starts Field Console connected to nothing yet, with the built-in simulated
# controller chosen as its port (--demo), so it is useful without hardware.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
exec ./build/bin/field-console --demo "$@"
