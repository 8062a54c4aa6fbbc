#!/usr/bin/env bash
# Builds the project (installing the missing Debian packages first) and runs
# the messenger, parlino, with the arguments given. Should the program not be
# built (a tree without Qt), it lists what can be run instead.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/bootstrap.sh
cmake --preset default >/dev/null
cmake --build --preset default
bin=build/default
if [ -x "$bin/ui/parlino" ]; then
  exec "$bin/ui/parlino" "$@"
fi
echo
echo "The messenger program is not built yet. What can be run:"
found=0
for exe in "$bin"/cli/parlino-cli; do
  [ -x "$exe" ] && { echo "  $exe --help"; found=1; }
done
while IFS= read -r exe; do
  echo "  $exe"; found=1
done < <(find "$bin/bench" -maxdepth 2 -type f -executable -name 'bench_*' 2>/dev/null | sort)
echo "  tools/test.sh            (every test)"
[ "$found" -eq 1 ] || echo "  (no command-line tool or benchmark yet)"
