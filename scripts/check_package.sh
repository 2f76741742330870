#!/usr/bin/env bash
# The Debian package as a user gets it: made with CPack from BUILD_DIR (already built; without
# one, scripts/package.sh builds Release), installed with apt, both programs started from the
# installed paths, removed again, and nothing of it left behind. Needs root; one check at a
# time on a machine (a lock), since they share the installed package.
#   check_package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ $(id -u) != 0 ]]; then
  echo "check_package: skipped, installing a package needs root"
  exit 0
fi
build=${1:-}
if [[ -z $build ]]; then
  bash scripts/package.sh >/dev/null
  build=build/package
else
  (cd "$build" && rm -f brintova_*.deb && cpack -G DEB >/dev/null)
fi
deb=$(cd "$build" && pwd)/$(cd "$build" && ls brintova_*.deb)
work=$(mktemp -d)
exec 9>/var/lock/brintova-package-check.lock
flock 9
apt_quiet() {
  apt-get -y -q -o DPkg::Lock::Timeout=600 "$@" >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; return 1; }
}
cleanup() {
  if dpkg -s brintova >/dev/null 2>&1; then apt_quiet purge brintova || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "check_package: $*" >&2
  exit 1
}

if dpkg -s brintova >/dev/null 2>&1; then apt_quiet purge brintova; fi  # left by an interrupted run
apt_quiet install "$deb"
mapfile -t owned < <(dpkg -L brintova)

# The programs live together with their resources; the links in /usr/bin lead there.
[[ $(readlink -f /usr/bin/brintova) == /usr/lib/brintova/brintova ]] || fail "/usr/bin/brintova"
[[ $(readlink -f /usr/bin/brintova-cli) == /usr/lib/brintova/brintova-cli ]] || fail "brintova-cli"
[[ -f /usr/lib/brintova/HAND-M.CUR ]] || fail "no HAND-M.CUR beside the program"
ls /usr/lib/brintova/Samples/*.xlsx >/dev/null || fail "no Samples beside the program"
grep -q '^Exec=brintova$' /usr/share/applications/brintova.desktop || fail "desktop entry"
[[ -f /usr/share/icons/hicolor/scalable/apps/brintova.svg ]] || fail "no icon"
zcat /usr/share/man/man1/brintova-cli.1.gz | grep -q '^\.SH EXIT STATUS' || fail "manual page"
[[ -f /usr/share/doc/brintova/copyright ]] || fail "no copyright file"

# The command line on the installed samples, from a folder of its own.
(cd "$work" && brintova-cli --version >/dev/null &&
  brintova-cli run --operation numbers --output out /usr/lib/brintova/Samples 2>"$work/cli.err") ||
  { cat "$work/cli.err"; fail "brintova-cli run failed"; }
brintova-cli text "$work/out/Orders and Phones.xlsx" | grep -q . || fail "no result listed"

# The window starts and keeps running until stopped (a failed start ends at once).
status=0
env HOME="$work" XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=offscreen \
  timeout 3 brintova >"$work/window.log" 2>&1 || status=$?
[[ $status == 124 ]] || { cat "$work/window.log"; fail "the window ended with status $status"; }

apt_quiet purge brintova
! dpkg -s brintova >/dev/null 2>&1 || fail "still installed after purge"
for path in "${owned[@]}"; do
  if [[ -L $path || (-e $path && ! -d $path) ]]; then fail "left behind: $path"; fi
done
for folder in /usr/lib/brintova /usr/share/brintova /usr/share/doc/brintova; do
  [[ ! -e $folder ]] || fail "left behind: $folder"
done
echo "check_package: $(basename "$deb") installs, both programs start, and it removes cleanly"
