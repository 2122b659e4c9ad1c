#!/usr/bin/env bash
# Regenerates the hand-made seeds in fuzz/corpus/: tiny images at the parser's edges.
set -euo pipefail
out="$(cd "$(dirname "$0")" && pwd)/corpus"
mkdir -p "$out"

# byte <value>: one raw byte; printf expands \xNN only in its format, hence the two steps.
byte() { printf "\\x$(printf %02x $(($1 & 255)))"; }
le16() { byte "$1"; byte $(($1 >> 8)); }
le32() { le16 $(($1 & 65535)); le16 $(($1 >> 16 & 65535)); }

# header <channels> <bits> <dataSize>: the 44 canonical bytes, derived fields consistent.
header() {
  local channels=$1 bits=$2 size=$3 rate=8000
  local align=$((channels * bits / 8))
  printf 'RIFF'; le32 $((36 + size)); printf 'WAVEfmt '; le32 16; le16 1
  le16 "$channels"; le32 $rate; le32 $((rate * align)); le16 $align; le16 "$bits"
  printf 'data'; le32 "$size"
}

# bytes <n>: n bytes of a ramp, so samples differ from one another.
bytes() { local i; for ((i = 0; i < $1; ++i)); do byte $((i * 37)); done; }

{ header 1 8 12; bytes 12; } >"$out/mono8.wav"
{ header 2 16 16; bytes 16; } >"$out/stereo16.wav"
{ header 2 8 6; bytes 6; } >"$out/stereo8.wav"
{ header 1 16 7; bytes 7; } >"$out/odd16.wav"
{ header 2 16 0; } >"$out/empty.wav"
{ header 1 16 1000; bytes 8; } >"$out/overlong.wav"
{ header 0 16 8; bytes 8; } >"$out/channels0.wav"
{ header 3 16 12; bytes 12; } >"$out/channels3.wav"
{ header 1 24 12; bytes 12; } >"$out/bits24.wav"
header 1 16 8 >"$out/truncated.wav" && truncate -s 30 "$out/truncated.wav"
