#!/bin/sh
# Builds everything and renders the demo through the plug-in: demo.wav and demo.png.
set -e
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C build
./build/tovarine info
./build/tovarine render -o demo.wav --plot demo.png
echo "Wrote demo.wav and demo.png"
