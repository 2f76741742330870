#!/usr/bin/env bash
# Fails when a test, benchmark, fuzz target, build file or script refers to a path outside the
# repository (a folder beside the clone, or a developer machine's own layout), so that a plain
# clone builds and passes its tests anywhere. Usage: check_self_contained.sh [ROOT]
set -euo pipefail
root=$(cd "${1:-$(dirname "$0")/..}" && pwd)
cd "$root"

# What may never appear: a sibling folder of the clone reached with "..", the source tree's
# parent in CMake or shell, and absolute paths of the machines this was developed on. Written
# as pieces so that this file does not match itself.
dots='\.\.'
patterns=(
  "${dots}/shared"
  "/work/"
  "\\\$\\{(PROJECT|CMAKE)_SOURCE_DIR\\}/${dots}"
  "\\\$\\{?(repo|root)\\}?/${dots}"
)

if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git -C "$root" ls-files --cached --others --exclude-standard)
else
  mapfile -t files < <(find . -type f -not -path './build*' -not -path './.git/*' | sed 's|^\./||')
fi

checked=()
for f in "${files[@]}"; do
  case "$f" in
    scripts/check_self_contained.sh) continue ;;
    tests/* | bench/* | fuzz/* | scripts/* | .ci/* | packaging/* | CMakeLists.txt | */CMakeLists.txt | *.cmake) ;;
    *) continue ;;
  esac
  [[ -f "$f" ]] || continue
  # Text files only: fixtures and seeds may hold any bytes.
  grep -Iq . "$f" 2>/dev/null || continue
  checked+=("$f")
done

failed=0
for pattern in "${patterns[@]}"; do
  if ((${#checked[@]})) && grep -EnH -- "$pattern" "${checked[@]}"; then
    failed=1
  fi
done
if ((failed)); then
  echo "check_self_contained: the lines above refer to paths outside the repository; copy what" \
    "they need into it (tests/data/, bench/) with its licence and where it came from" >&2
  exit 1
fi
echo "check_self_contained: ${#checked[@]} files refer to nothing outside the repository"
