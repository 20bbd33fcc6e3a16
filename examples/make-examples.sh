#!/bin/sh
# Makes the files in this folder, which the README's examples use; all of them
# are made in code, none recorded:
#   drums.wav, chords.mid   by tovarine-make-examples (tools/MakeExamples.cpp)
#   mysounds.fxb            the factory bank with program 5 made wetter, with a feedback voice
#   19edo.scl, 19edo.kbm    written by hand: 19 equal steps to the octave, laid with A above middle C at 440 Hz
#   examples/make-examples.sh [BUILD_FOLDER [OUTPUT_FOLDER]]   (defaults: build, examples)
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
out=${2:-$here}
"$build/tovarine-make-examples" "$out"
"$build/tovarine" preset save "$out/mysounds.fxb" --plugin "$build/Tovarine.so" \
    --program 5 --param 20=0.5 --param 28=0.8 --param 31=0.8
