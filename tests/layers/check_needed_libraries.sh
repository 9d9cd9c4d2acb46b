#!/usr/bin/env bash
# Every start of the sensor loads what it needs: the C library, nothing more
# (the C++ runtime is linked in, an RFC library is loaded only when chosen).
# Another library, such as the maths library that a formatting function can
# bring along, costs every run its loading. Arguments: the readelf to use
# and the executable.
set -uo pipefail
needed=$("$1" -d "$2" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
extra=$(grep -v -E '^(libc\.so\.[0-9]+|ld-linux[-a-z0-9_.]*\.so\.[0-9]+)$' <<<"$needed")
if [ -n "$extra" ]; then
  echo "$2 needs more than the C library:"
  echo "$extra"
  exit 1
fi
echo "$2 needs only: $(tr '\n' ' ' <<<"$needed")"
