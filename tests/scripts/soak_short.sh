#!/usr/bin/env bash
# The soak, short: 20,000 frame steps of a seeded random session (half at 1920 x 1080, half on a
# screen smaller than the menu panel), every invariant checked after every step.
# Usage: soak_short.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
[ -x "$build/mirthwick-soak" ] || { echo "SKIP: mirthwick-soak is not built"; exit 0; }
exec "$build/mirthwick-soak" --frames 20000 --seed 12
