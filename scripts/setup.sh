#!/usr/bin/env bash
# Installs on Debian, when missing, what the named stages of scripts/test.sh
# need. Without a stage it installs what the native build needs (the demo and
# the native stage ask for no more).
#
#   scripts/setup.sh [STAGE...] [PACKAGE...]
#
# STAGE is native, windows, sanitize, thread or fuzz; any other word is a
# further Debian package (the benchmarks add theirs).
set -euo pipefail
# The native build and its tests; clang-format at the major version that the
# format check of the native stage pins.
packages=(cmake ninja-build g++ make libgtest-dev libgmock-dev)
for word in "$@"; do
  case "$word" in
    native) packages+=(clang-format-14) ;;
    # The mingw-w64 cross compiler (posix threads) and Wine.
    windows) packages+=(g++-mingw-w64-x86-64-posix wine wine64) ;;
    # g++'s own AddressSanitizer, UndefinedBehaviorSanitizer and
    # ThreadSanitizer come with g++.
    sanitize | thread) ;;
    # clang and its runtimes, libFuzzer among them.
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    *) packages+=("$word") ;;
  esac
done
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
