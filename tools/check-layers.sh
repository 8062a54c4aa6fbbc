#!/usr/bin/env bash
# Fails when a source file includes a header of a layer above its own, or when
# Qt is included outside the window layer and the desktop pieces of platform/.
# The layers, lowest first (docs/architecture.md):
#   platform, storage <- transport <- archive <- app <- ui and cli; instlib stands alone.
set -euo pipefail
cd "$(dirname "$0")/.."

allowed_for() {
  case "$1" in
    platform) echo "platform" ;;
    storage) echo "platform storage" ;;
    transport) echo "platform transport" ;;
    archive) echo "platform storage transport archive" ;;
    app) echo "platform storage transport archive app" ;;
    ui) echo "platform storage transport archive app ui" ;;
    cli) echo "platform storage transport archive app cli" ;;
    instlib) echo "platform instlib" ;;
    *) echo "*" ;;  # tests, fuzz targets, benchmarks and tools may use every layer
  esac
}

status=0
while IFS= read -r file; do
  layer=${file%%/*}
  allowed=$(allowed_for "$layer")
  [ "$allowed" = "*" ] && continue
  while IFS=: read -r line target; do
    top=${target%%/*}
    [ "$top" = "$target" ] && continue  # a header beside the file
    case " platform storage transport archive app ui cli instlib " in
      *" $top "*) ;;
      *) continue ;;
    esac
    case " $allowed " in
      *" $top "*) ;;
      *) echo "$file:$line: includes $target, a layer above $layer"; status=1 ;;
    esac
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
           sed 's/^\([0-9]*\):[^"]*"\([^"]*\)".*/\1:\2/' || true)
  case "$file" in
    ui/* | platform/desktop/*) ;;
    *)
      if grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q' "$file" >/dev/null; then
        echo "$file: includes Qt outside ui/ and platform/desktop/"
        status=1
      fi ;;
  esac
done < <(git ls-files '*.h' '*.cpp' | grep -E '^(platform|storage|transport|archive|app|ui|cli|instlib)/')
exit $status
