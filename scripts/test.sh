#!/usr/bin/env bash
# Installs what the station needs, builds it with warnings as errors under AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test, the crash harness included.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-asan}

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=Debug -DROBOT_SANITIZE=ON -DROBOT_WERROR=ON
cd "$build"
ctest --output-on-failure -j "$(nproc)"
