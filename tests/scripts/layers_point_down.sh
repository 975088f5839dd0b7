#!/usr/bin/env bash
# Includes point down the layers: a file may include files of its own layer and of the layers
# below it, never of a layer above. A file named in the table belongs to that row; any other file
# to the row naming its folder. Usage: layers_point_down.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
src=$2

# Bottom to top.
layers='
seam      app/platform.h app/messages.h app/input.h
services  gfx/ audio/ app/
record    world/world.h world/random.h soldiers/soldier.h fires/fire.h
play      soldiers/ fires/
tools     tools/
frame     world/
front     app/application.h app/application.cpp platform/ sim/
'

cd "$src"
dirs=$(for d in app gfx audio world soldiers fires tools platform sim; do [ -d "$d" ] && echo "$d"; done)
files=$(find $dirs \( -name '*.h' -o -name '*.cpp' \) | sort)
grep -nE '^\s*#\s*include\s*"' $files | awk -v table="$layers" '
  BEGIN {
    n = split(table, rows, "\n")
    for (i = 1; i <= n; ++i) {
      if (split(rows[i], word, " ") < 2) continue
      ++rank
      name[rank] = word[1]
      for (k = 2; k in word; ++k) {
        if (word[k] ~ /\/$/) folder[word[k]] = rank; else file[word[k]] = rank
      }
      delete word
    }
  }
  function layer(path,   f, best, len) {
    if (path in file) return file[path]
    best = 0; len = 0
    for (f in folder)
      if (index(path, f) == 1 && length(f) > len) { best = folder[f]; len = length(f) }
    return best
  }
  {
    split($0, part, ":")
    from = part[1]
    match($0, /"[^"]+"/)
    to = substr($0, RSTART + 1, RLENGTH - 2)
    a = layer(from); b = layer(to)
    if (a == 0 || b == 0) next  # system and generated headers, and files outside the table
    if (b > a) { printf "%s:%s: %s includes %s (%s above %s)\n", from, part[2], name[a], to, name[b], name[a]; bad = 1 }
  }
  END { exit bad }
' && echo "includes point down the layers"
