#!/usr/bin/env bash
# Makes the symbolic links the link-saving tests need: under Wine, links made on the Unix side
# are real links (Wine's CreateSymbolicLinkW makes none).
#   links.sh DIR   DIR/target.txt, DIR/link.txt -> target.txt, DIR/broken.txt -> missing.txt
set -euo pipefail
dir=$1
rm -rf "$dir"
mkdir -p "$dir"
: > "$dir/target.txt"
ln -s target.txt "$dir/link.txt"
ln -s missing.txt "$dir/broken.txt"
