#!/usr/bin/env bash
# Builds everything and runs every test. Window tests run on Qt's offscreen
# platform, so no display is needed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure --timeout 600
