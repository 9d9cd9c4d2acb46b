#!/usr/bin/env bash
# Installs what building and testing Quillmark needs on Debian, when missing.
# Arguments name further packages (the benchmarks add theirs).
set -euo pipefail
packages=(cmake ninja-build g++ make libgtest-dev libgmock-dev "$@")
# The Windows stage: the mingw-w64 cross compiler (posix threads) and Wine.
packages+=(g++-mingw-w64-x86-64-posix wine wine64)
# The fuzz stage: clang and its runtimes, libFuzzer among them (the sanitizer
# stage uses g++'s own AddressSanitizer and UndefinedBehaviorSanitizer).
packages+=(clang libclang-rt-14-dev)
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
