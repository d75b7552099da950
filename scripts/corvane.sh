#!/usr/bin/env bash
# Set up a Debian 12 machine for Corvane, build it, and then either start the
# program ("run") or run every test ("test"). Safe to run again: packages that
# are present are left alone and the build is incremental.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-run}
packages=(build-essential cmake ninja-build pkg-config
          qt6-base-dev qt6-svg-dev qt6-image-formats-plugins libsegyio-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev
          libgdal-dev libproj-dev gdal-bin
          xvfb xauth hp2xx python3-ezdxf poppler-utils librsvg2-bin)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

build=${CORVANE_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CORVANE_CMAKE_ARGS:-}
cmake --build "$build" --parallel "$(nproc)"

case "$mode" in
  run)
    exec "$build/src/corvane" ;;
  test)
    cd "$build"
    # For the sanitizer build: Qt and fontconfig keep caches alive until exit,
    # which LeakSanitizer would report; address and undefined-behaviour errors
    # still fail the tests. Harmless for the ordinary build.
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
    export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)" ;;
  *)
    echo "usage: $0 run|test" >&2; exit 2 ;;
esac
