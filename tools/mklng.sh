#!/bin/sh
# Turns a language source (UTF-8, one line each) into the file the program
# reads: UTF-16LE with byte-order mark, lines ended by CR LF.
set -e
src=$1
out=$2
{ printf '\377\376'; sed 's/\r$//; s/$/\r/' "$src" | iconv -f UTF-8 -t UTF-16LE; } > "$out.tmp"
mv "$out.tmp" "$out"
