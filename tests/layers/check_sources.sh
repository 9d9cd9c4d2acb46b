#!/usr/bin/env bash
# Rules of the program's sources (src/) that no include root can enforce.
# Prints every line that breaks one and fails when there is any.
set -uo pipefail
cd "$1/src"
status=0
report() {
  echo "$1:"
  echo "$2" | sed 's/^/  /'
  status=1
}
# The stand-in plays the SAP side: no source of the program reads its
# settings or includes its headers (the library choice names its file).
found=$(grep -rnE 'RFCSIM_|rfcsim\.ini|#include "(rfcsim|landscape|lookup|answers|rows|state)\.h"' \
  --include='*.cc' --include='*.h' . | grep -v '_test\.cc:')
[ -n "$found" ] && report "the stand-in's settings or headers in the program" "$found"
# Only run control writes to standard output or ends the process; the
# platform's console is the one way to standard output.
found=$(grep -rnE '\bstdout\b|std::cout|\bputs\(|\bprintf\(|\b(std::)?(_Exit|exit|abort)\(' \
  --include='*.cc' --include='*.h' . | grep -v '_test\.cc:' |
  grep -vE '^\./(run|platform)/')
[ -n "$found" ] && report "output or process end outside run control" "$found"
exit $status
