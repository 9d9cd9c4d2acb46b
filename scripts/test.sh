#!/usr/bin/env bash
# Sets up, builds and runs every test of Quillmark (unit and end-to-end).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -G Ninja
cmake --build build
ctest --test-dir build --output-on-failure -j2
