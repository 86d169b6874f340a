#!/usr/bin/env bash
# End-to-end print check: prints a known document from the real window through the real
# Print dialog to the CUPS "PDF" queue, then reads the PDF back.
#   check-printed-pdf.sh WINE_STATE_DIR INTEGRATION_TESTS_EXE
set -euo pipefail
state=$1
exe=$2
here=$(cd "$(dirname "$0")" && pwd)

if [ "$(id -u)" != 0 ] || ! lpstat -r 2>/dev/null | grep -q "is running" || ! lpstat -p PDF >/dev/null 2>&1; then
  echo "SKIPPED: no CUPS server with the PDF queue (tools/print-queue.sh start needs root)"
  exit 77
fi

out="${HOME:-/root}/PDF"
mkdir -p "$out"
find "$out" -maxdepth 1 -name '*.pdf' -delete
# Wine learns the printers when its server starts: make sure it knows this queue.
"$here/wine-run.sh" --state "$state" --start

JOTWELL_PRINT_E2E=1 "$here/wine-run.sh" --state "$state" "$exe" \
  --gtest_filter=PrintTest.PrintsTheDocumentToTheDefaultQueue

pdf=""
for _ in $(seq 1 150); do
  pdf=$(find "$out" -maxdepth 1 -name '*.pdf' | head -n 1)
  [ -n "$pdf" ] && [ -z "$(lpstat -o 2>/dev/null)" ] && break
  sleep 0.2
done
[ -n "$pdf" ] || { echo "FAIL: no PDF appeared in $out"; exit 1; }
sleep 0.3

fail=0
pages=$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')
title=$(pdfinfo "$pdf" | sed -n 's/^Title: *//p')
echo "PDF: $pdf, $pages pages, title '$title'"
[ "${pages:-0}" -ge 3 ] || { echo "FAIL: expected at least 3 pages, got $pages"; fail=1; }
case "$title" in *"Untitled - Jotwell"*) ;; *) echo "FAIL: job title is '$title'"; fail=1 ;; esac

text=$(pdftotext -layout "$pdf" -)
# Every numbered line, in order.
expected=$(seq -f 'Line %03g of the printed text' 1 150)
got=$(printf '%s\n' "$text" | grep -o 'Line [0-9][0-9][0-9] of the printed text')
[ "$got" = "$expected" ] || { echo "FAIL: the numbered lines are missing or out of order"; fail=1; }
# The long line: all 300 words, in order, none cut at the right edge.
words=$(printf '%s\n' "$text" | grep -o 'w[0-9][0-9][0-9]' | tr '\n' ' ')
want=$(seq -f 'w%03g' 1 300 | tr '\n' ' ')
[ "$words" = "$want" ] || { echo "FAIL: the long line lost words at the right edge"; fail=1; }
# The TAB became space between the two words on one line.
printf '%s\n' "$text" | grep -q 'before \+after' || { echo "FAIL: the TAB line is wrong"; fail=1; }

[ "$fail" = 0 ] && echo "PASS: printed PDF checked"
exit "$fail"
