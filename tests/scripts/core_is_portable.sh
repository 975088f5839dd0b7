#!/usr/bin/env bash
# The core (everything outside platform/) includes no SDL, X11 or Windows header.
set -euo pipefail
src=$2
hits=$(grep -rnE '#\s*include\s*[<"](SDL|X11/|windows\.h|d3d|dsound|gdiplus)' \
  "$src/app" "$src/gfx" "$src/audio" "$src/world" "$src/soldiers" "$src/fires" "$src/tools" "$src/sim" || true)
if [ -n "$hits" ]; then
  echo "platform headers in the core:"; echo "$hits"; exit 1
fi
# Every random choice draws from a generator of ours (the same sequence on every platform), never
# from the C library's rand(); comments may name it.
hits=$(grep -rnE --include='*.cpp' --include='*.h' --exclude-dir=platform --exclude-dir=tests --exclude-dir=bench \
  --exclude-dir=fuzz --exclude-dir='build*' 's?rand\s*\(' "$src" | sed 's|//.*||' | grep -E '(^|[^[:alnum:]_.>])s?rand\s*\(' || true)
if [ -n "$hits" ]; then
  echo "the C library's generator in the core:"; echo "$hits"; exit 1
fi
echo "core is portable"
