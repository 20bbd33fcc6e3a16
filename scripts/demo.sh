#!/bin/sh
# Builds the plug-in and the command-line host, and renders the demo through the
# plug-in: demo.wav and demo.png.
set -e
case "$1" in -h|--help) sed -n '2,/^set -e/s/^# \{0,1\}//p' "$0"; exit 0 ;; esac
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
. ./scripts/ninja-quietly.sh
echo "Building in build/ ..."
# The plug-in and the command-line host only: the tests and benchmarks are test.sh's.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOVARINE_TESTS=OFF -DTOVARINE_BENCH=OFF >/dev/null
ninja_quietly -C build Tovarine tovarine tovarine_lv2
echo "Rendering the demo ..."
./build/tovarine render -o demo.wav --plot demo.png --quiet
cat <<DONE

Done.
  demo (audio):          $(pwd)/demo.wav
  demo (picture):        $(pwd)/demo.png
  plug-in (VST 2):       $(pwd)/build/Tovarine.so
  plug-in (LV2):         $(pwd)/build/Tovarine.lv2
  command-line host:     $(pwd)/build/tovarine   (try: build/tovarine --help)
Install the plug-ins and the host for your user (~/.vst, ~/.lv2, ~/.local/bin), or for everyone:
  cmake --install build --component user
  sudo cmake --install build --prefix /usr
DONE
