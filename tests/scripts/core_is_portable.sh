#!/usr/bin/env bash
# The core (everything outside platform/) includes no SDL, X11 or Windows header.
set -euo pipefail
src=$2
hits=$(grep -rnE '#\s*include\s*[<"](SDL|X11/|windows\.h|d3d|dsound|gdiplus)' \
  "$src/app" "$src/gfx" "$src/audio" "$src/world" "$src/soldiers" "$src/fires" "$src/tools" "$src/sim" || true)
if [ -n "$hits" ]; then
  echo "platform headers in the core:"; echo "$hits"; exit 1
fi
echo "core is portable"
