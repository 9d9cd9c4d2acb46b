#!/usr/bin/env bash
# The sensor links none of the stand-in's code: it loads the stand-in's own
# library by name, like the SDK. Arguments: the nm to use and the executable.
set -uo pipefail
found=$("$1" -C "$2" | grep -E 'rfcsim::|RfcSimLibrary|Sim(Rfc|It)[A-Z]')
if [ -n "$found" ]; then
  echo "$2 holds code of the stand-in:"
  echo "$found" | head -20
  exit 1
fi
echo "$2 holds no code of the stand-in"
