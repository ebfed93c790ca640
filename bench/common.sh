# The opening every bench/*.sh shares; a script sources it first, as
#   . "$(dirname "$0")/common.sh"
# It sets strict mode, $top (the project's top folder), $build (the benchmark
# build, ORVANTA_BENCH_BUILD or build-bench/) and $work (a temporary folder
# removed on exit, after the script's own cleanup function when it has one).
# bench_build <target>... configures $build (RelWithDebInfo, no tests) and
# builds those targets.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${ORVANTA_BENCH_BUILD:-$top/build-bench}
work=$(mktemp -d)
bench_exit() {
  if declare -F cleanup >/dev/null; then cleanup; fi
  rm -rf "$work"
}
trap bench_exit EXIT

bench_build() {
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANTA_TESTS=OFF >/dev/null
  cmake --build "$build" -j3 --target "$@" >/dev/null
}
