#!/usr/bin/env bash
# Checks the Debian packages with lintian (any error or warning fails),
# installs them with apt-get, checks them as a user would
# meet them (the programs and their manual pages, a C program built through
# pkg-config and through find_package, the Python module, a short run
# against the installed vesksim on 127.0.0.1), removes them again and checks
# that none of their files is left behind. Needs root.
# Usage: tests/packages/check-packages.sh [FOLDER]   (default build-package/packages)
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/vesksim.sh
source tests/install/consumers.sh
scripts/install-test-deps.sh lintian
folder=$(realpath "${1:-build-package/packages}")
packages=(veskplay libveskclient1 libveskclient-dev python3-veskclient)
installed() { dpkg-query -W -f '${Status}' "$1" 2>/dev/null | grep -q ' installed$'; }

debs=()
for package in "${packages[@]}"; do
  installed "$package" && fail "$package is installed already; remove it first"
  deb=$(ls "$folder/${package}_"*.deb 2>/dev/null) || fail "no ${package}_*.deb in $folder"
  debs+=("$deb")
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Overrides in the packages silence only the warnings judged wrong for them.
lintian --tag-display-limit 0 --fail-on error,warning "${debs[@]}" >"$work/lintian.log" 2>&1 \
  || fail "lintian finds faults in the packages: $(grep -v 'root privileges' "$work/lintian.log")"

# Every file of the packages that is not there yet must be gone after the
# removal (folders such as /usr/bin stay).
for deb in "${debs[@]}"; do
  dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's#^\./#/#; s#/$##' | grep -v '^/\?$'
done | sort -u | while read -r path; do [ -e "$path" ] || echo "$path"; done >"$work/new-paths"
remove() { apt-get purge -y "${packages[@]}" >/dev/null 2>&1 || true; }
trap 'stop_vesksim; remove; rm -rf "$work"' EXIT

# Recommends (gnuplot) stay out, so that the removal takes back all it added.
DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${debs[@]}" >"$work/apt.log" 2>&1 \
  || fail "apt-get install failed: $(tail -n 5 "$work/apt.log")"
dpkg -L "${packages[@]}" >"$work/listed"
cd "$work"

/usr/bin/veskplay -v | grep "$(dpkg-query -W -f '${Version}' veskplay | sed 's/-[^-]*$//')" >/dev/null \
  || fail "veskplay -v fails or does not print the package's version: $(/usr/bin/veskplay -v 2>&1)"
for program in $(dpkg -L veskplay | sed -n 's#^/usr/bin/##p'); do
  MANWIDTH=80 man "$program" 2>&1 | grep -q "$program" || fail "man $program shows no manual page"
done

unset PKG_CONFIG_PATH
build_consumers "$work"

run_consumers /usr/bin/vesksim "$work"
/usr/bin/python3 -m veskclient info "127.0.0.1:$VESKSIM_PORT" >info.out || fail "veskclient info failed"
grep -qx 'Output channels: 2' info.out || fail "veskclient info printed: $(cat info.out)"
/usr/bin/veskplay -a "127.0.0.1:$VESKSIM_PORT" -l server -b 4 -c0 capture.raw >veskplay.out
[ "$(tail -n 1 veskplay.out)" = Done. ] && [ "$(stat -c %s capture.raw)" -eq $((4 * 1024 * 4)) ] \
  || fail "the veskplay run failed: $(tail -n 5 veskplay.out)"
/usr/bin/veskmeasure --limit 'freq=421.875+-0.01' capture.raw >measure.out \
  || fail "veskmeasure failed on the capture: $(tail -n 3 measure.out)"
stop_vesksim

remove
for package in "${packages[@]}"; do installed "$package" && fail "$package is still installed"; done
left=$(sort -u listed | grep -Fxf new-paths | while read -r path; do [ ! -e "$path" ] || echo "$path"; done)
[ -z "$left" ] || fail "left behind: $left"
echo "check-packages: ${#packages[@]} packages installed, checked and removed ($(sort -u listed | grep -Fxcf new-paths) paths)"
