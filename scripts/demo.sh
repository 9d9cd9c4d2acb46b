#!/usr/bin/env bash
# Builds Quillmark and measures this machine as PRTG would run it: the demo
# tree in demo/root stands for the machine's drive C: (QUILLMARK_ROOT), with
# C:\PRTG_Path.Txt naming the PRTG folder and the profiles in its
# "Custom Sensors\ExeXml" folder. The stand-in RFC library plays the SAP
# systems of demo/rfcsim.ini; DEMO reports this machine's own processes.
# Everything runs in a fresh temporary working folder.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
scripts/setup.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target quillmark quillmark-passwd >/dev/null
bin="$top/build/quillmark"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Quillmark.ini names the stand-in: without it the program looks for the SDK.
cp demo/Quillmark.ini demo/rfcsim.ini demo/qas_top.csv "$work/"
export QUILLMARK_ROOT="$top/demo/root"
unset RFCSIM_LANDSCAPE
cd "$work"

run() {
  echo "\$ quillmark $*"
  set +e
  "$bin" "$@"
  local rc=$?
  set -e
  echo "[exit code $rc]"
  echo
}

echo "== One system, as PRTG runs it (the processes of this machine):"
run DEMO
echo "== The same, only the processes of the user root, with progress lines:"
run DEMO "USER=root #"
echo "== One reading over the three systems of a global listing (DEV fails):"
run X "ITEM=Working-Set #"
