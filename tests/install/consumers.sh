# Sourced by check-install.sh and check-packages.sh, after scripts/vesksim.sh;
# fail MESSAGE ends the check.
#   build_consumers FOLDER [CMAKE_ARGUMENTS...]
# builds consumer.c with whatever veskclient pkg-config and find_package
# find, into FOLDER, and adds both programs to consumers; run_consumers
# starts VESKSIM on 127.0.0.1 and runs every one of them against it.
fail() { echo "$(basename "$0" .sh): $*" >&2; exit 1; }
consumer_folder=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

build_with_pkg_config() {  # build_with_pkg_config OUTPUT
  cc -std=c11 -Wall -Wextra -Werror -pedantic $(pkg-config --cflags veskclient) "$consumer_folder/consumer.c" \
     -o "$1" $(pkg-config --static --libs veskclient) || fail "the pkg-config build failed"
}

build_consumers() {
  build_with_pkg_config "$1/pkg-config-consumer"
  cmake -S "$consumer_folder" -B "$1/find-package" -DCMAKE_BUILD_TYPE=Release "${@:2}" >/dev/null \
    && cmake --build "$1/find-package" >/dev/null || fail "the find_package build failed"
  consumers+=("$1/pkg-config-consumer" "$1/find-package/consumer")
}

run_consumers() {  # run_consumers VESKSIM FOLDER
  start_vesksim "$1" "$2" --speed 0
  for consumer in "${consumers[@]}"; do
    "$consumer" "127.0.0.1:$VESKSIM_PORT" || fail "$consumer failed"
  done
}
