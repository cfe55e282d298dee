#!/usr/bin/env bash
# Installs a build into a temporary prefix, checks what landed there (files,
# manual pages, the shared library's exports, the Python module finding the
# prefix's library), builds a C program against it with the shared library,
# with find_package and with pkg-config, and runs each against the installed
# vesksim on 127.0.0.1.
# Usage: tests/install/check-install.sh [BUILD_DIR]   (default build-test)
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/vesksim.sh
source tests/install/consumers.sh
scripts/install-test-deps.sh man-db pkg-config binutils

work=$(mktemp -d)
trap 'stop_vesksim; rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "${1:-build-test}" --prefix "$prefix" >/dev/null
libdir=$(dirname "$(find "$prefix" -name libveskclient.a)")
python=$(/usr/bin/python3 -c 'import sys; print("python%d.%d" % sys.version_info[:2])')
lib=${libdir#"$prefix/"}
for file in bin/{veskplay,vesksim,veskmeasure,veskgen} include/veskclient.h share/man/man1/{veskplay,vesksim,veskmeasure,veskgen}.1 \
            "$lib"/{libveskclient.a,libveskclient.so,libveskclient.so.1,pkgconfig/veskclient.pc} \
            "$lib/$python/dist-packages/veskclient/py.typed" "$lib"/cmake/veskclient/veskclientConfig{,Version}.cmake; do
  [ -f "$prefix/$file" ] || fail "$file is not installed"
done

for page in "$prefix"/share/man/man1/*.1; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$(basename "$page") renders with warnings: $warnings"
done

export PKG_CONFIG_PATH=$libdir/pkgconfig

# The module, where Debian's python3 looks for this prefix, loads the
# prefix's library with no help from the environment.
loaded=$(env -u VESKCLIENT_LIBRARY PYTHONPATH="$libdir/$python/dist-packages" /usr/bin/python3 -c \
         'import veskclient; veskclient.load_library(); print(veskclient.library_path())')
[ "$loaded" = "$libdir/libveskclient.so.1" ] || fail "the Python module loads $loaded"

# The shared library exports only the vesk_* functions, and -lveskclient
# links it. It then leaves the prefix, so that the other consumers link the
# static library.
exported=$(nm -D --defined-only "$libdir/libveskclient.so" | awk '$2 ~ /^[TWDBRV]$/ { print $3 }' | sort)
expected=$(grep -o '\bvesk_[a-z_]*(' "$prefix/include/veskclient.h" | tr -d '(' | sort -u)
[ "$exported" = "$expected" ] || fail "libveskclient.so exports $(echo $exported), not $(echo $expected)"
build_with_pkg_config "$work/shared-consumer"
ldd "$work/shared-consumer" | grep -q libveskclient.so || fail "-lveskclient did not link the shared library"
consumers+=("$work/shared-consumer")
mkdir "$work/shared" && mv "$libdir"/libveskclient.so* "$work/shared/"
build_consumers "$work" -DCMAKE_PREFIX_PATH="$prefix"

LD_LIBRARY_PATH=$work/shared run_consumers "$prefix/bin/vesksim" "$work"
echo "check-install: ${#consumers[@]} passed, 0 failed"
