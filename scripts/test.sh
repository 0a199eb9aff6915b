#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Sets up a Debian 12 machine, builds Zelvorandine with its tests and runs every test
# (unit, widget, end-to-end on X11 and Wayland, accessibility, layering and packaging), then the unit and
# widget tests again under the sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

if [ "${ZELVORANDINE_SKIP_SANITIZERS:-0}" != 1 ]; then
  cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZELVORANDINE_SANITIZE=ON -DZELVORANDINE_BENCHMARKS=OFF
  cmake --build build-sanitize -j "$jobs"
  (cd build-sanitize && ctest --output-on-failure -j "$jobs" -L 'unit|widget')
fi
