#!/usr/bin/env bash
# The Windows stage: cross-builds Quillmark.exe, Quillmark-passwd.exe and
# Quillmark-check.exe with mingw-w64, checks that they import only system
# DLLs, and runs the whole end-to-end suite against them under Wine (the
# native e2e_tests program starts them through "wine" in a Wine prefix of its
# own).
#   BUILD      the native build folder with e2e_tests (default: build)
#   BUILD_WIN  the cross build folder (default: build-win)
# Arguments are passed on to e2e_tests, e.g. --gtest_filter='*HintOnDriveC*'.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD:-build}"
build_win="${BUILD_WIN:-build-win}"
scripts/setup.sh windows

echo "== Cross build ($build_win)"
cmake -S . -B "$build_win" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
cmake --build "$build_win"

echo "== Imports of the Windows executables"
# DLLs that every Windows installation has; anything else (libstdc++-6.dll,
# libwinpthread-1.dll, ...) would have to be shipped beside the program.
allowed=" kernel32.dll msvcrt.dll advapi32.dll user32.dll shell32.dll ws2_32.dll psapi.dll "
for exe in "$build_win/Quillmark.exe" "$build_win/Quillmark-passwd.exe" \
  "$build_win/Quillmark-check.exe"; do
  dlls="$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')"
  if [ -z "$dlls" ]; then
    echo "$exe: no imports found" >&2
    exit 1
  fi
  for dll in $dlls; do
    lower="$(echo "$dll" | tr '[:upper:]' '[:lower:]')"
    if [[ "$allowed" != *" $lower "* ]]; then
      echo "$exe imports $dll, which is no system DLL" >&2
      exit 1
    fi
  done
  echo "$exe: $(echo $dlls)"
done

echo "== End-to-end suite under Wine"
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target e2e_tests
win_dir="$(cd "$build_win" && pwd)"
QUILLMARK_E2E_TARGET=wine \
QUILLMARK_E2E_EXE="$win_dir/Quillmark.exe" \
QUILLMARK_E2E_PASSWD="$win_dir/Quillmark-passwd.exe" \
QUILLMARK_E2E_CHECK="$win_dir/Quillmark-check.exe" \
  "$build/e2e_tests" --gtest_brief=1 "$@"

echo "== End-to-end suite under Wine through the SDK adapter and its test double"
# The same cases once more with RfcLibrary= naming sapnwrfc-fake.dll (as a
# Windows path: Wine's drive Z: is the Linux root); cases that depend on the
# stand-in's own details skip themselves.
fake_dll="Z:$(echo "$win_dir/sapnwrfc-fake.dll" | tr / '\\')"
QUILLMARK_E2E_TARGET=wine \
QUILLMARK_E2E_EXE="$win_dir/Quillmark.exe" \
QUILLMARK_E2E_PASSWD="$win_dir/Quillmark-passwd.exe" \
QUILLMARK_E2E_CHECK="$win_dir/Quillmark-check.exe" \
QUILLMARK_E2E_RFCLIBRARY="$fake_dll" \
  "$build/e2e_tests" --gtest_brief=1 --gtest_filter='-Harness*' "$@"
