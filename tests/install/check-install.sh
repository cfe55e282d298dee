#!/usr/bin/env bash
# Installs a build into a temporary prefix, checks what landed there (files,
# manual pages, the shared library's exports), builds a C program against it
# once with find_package and once with pkg-config, and runs both against the
# installed vesksim on 127.0.0.1.
# Usage: tests/install/check-install.sh [BUILD_DIR]   (default build-test)
set -euo pipefail
cd "$(dirname "$0")/../.."
source tests/install/vesksim.sh
build=${1:-build-test}

work=$(mktemp -d)
trap 'stop_vesksim; rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "check-install: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
libdir=$(dirname "$(find "$prefix" -name libveskclient.a)")
for file in bin/veskplay bin/vesksim include/veskclient.h share/man/man1/veskplay.1 \
            share/man/man1/vesksim.1; do
  [ -f "$prefix/$file" ] || fail "$file is not installed"
done
for file in libveskclient.a pkgconfig/veskclient.pc cmake/veskclient/veskclientConfig.cmake \
            cmake/veskclient/veskclientConfigVersion.cmake; do
  [ -f "$libdir/$file" ] || fail "${libdir#"$prefix/"}/$file is not installed"
done

for page in "$prefix"/share/man/man1/*.1; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$(basename "$page") renders with warnings: $warnings"
done

if [ -f "$libdir/libveskclient.so" ]; then
  exported=$(nm -D --defined-only "$libdir/libveskclient.so" | awk '$2 == "T" || $2 == "W" || $2 == "D" || $2 == "B" { print $3 }' | sort)
  expected=$(grep -o '\bvesk_[a-z_]*(' "$prefix/include/veskclient.h" | tr -d '(' | sort -u)
  [ "$exported" = "$expected" ] || fail "libveskclient.so exports $(echo $exported), not $(echo $expected)"
  echo "check-install: libveskclient.so exports the $(echo "$expected" | wc -l) vesk_* functions only"
fi

cmake -S tests/install -B "$work/find-package" -DCMAKE_PREFIX_PATH="$prefix" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/find-package" >/dev/null

export PKG_CONFIG_PATH=$libdir/pkgconfig
cc -std=c11 -Wall -Wextra -Werror -pedantic $(pkg-config --cflags veskclient) tests/install/consumer.c \
   -o "$work/pkg-config-consumer" $(pkg-config --static --libs veskclient)

start_vesksim "$prefix/bin/vesksim" "$work" --speed 0
for consumer in "$work/find-package/consumer" "$work/pkg-config-consumer"; do
  "$consumer" "127.0.0.1:$VESKSIM_PORT" || fail "$consumer failed"
done
stop_vesksim
echo "check-install: 2 passed, 0 failed"
