#!/usr/bin/env bash
# Fails when a C or C++ file of the project does not follow .clang-format.
# The major version is pinned: another clang-format formats some constructs
# differently.
set -euo pipefail
cd "$(dirname "$0")/.."
version=14
tool="clang-format-$version"
if ! command -v "$tool" >/dev/null; then
  echo "$tool is missing (scripts/setup.sh native installs it)" >&2
  exit 1
fi
mapfile -t files < <(git ls-files '*.cc' '*.h' '*.c' '*.cpp' '*.hpp')
bad=()
for f in "${files[@]}"; do
  [ -f "$f" ] || continue
  if ! "$tool" --dry-run --Werror "$f" >/dev/null 2>&1; then bad+=("$f"); fi
done
if [ ${#bad[@]} -gt 0 ]; then
  echo "These files do not follow .clang-format ($tool); run $tool -i on them:" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
echo "format: ${#files[@]} files follow .clang-format ($tool)"
