#!/usr/bin/env bash
# Builds the project (installing the missing Debian packages first) and runs
# the messenger, parlino; any arguments go to it (tools/run.sh --verbose).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/bootstrap.sh
cmake --preset default >/dev/null
cmake --build --preset default
exec build/default/ui/parlino "$@"
