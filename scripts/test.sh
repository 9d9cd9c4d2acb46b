#!/usr/bin/env bash
# Sets up, builds and runs every test of Quillmark. Each further stage (the
# Windows build under Wine, the sanitizer build, the fuzz smoke run) has a
# script of its own, called from here in turn.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -G Ninja
cmake --build build
ctest --test-dir build --output-on-failure -j2
scripts/test-windows.sh
scripts/test-sanitize.sh
scripts/fuzz.sh
