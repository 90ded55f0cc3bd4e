#!/usr/bin/env bash
# Builds the program and starts it. Arguments go to the program
# (for example --database FILE).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
exec ./build/quollin "$@"
