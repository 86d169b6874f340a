#!/usr/bin/env bash
# Starts a local CUPS server with a PDF printer named "PDF" as the default queue,
# so that printing tests reach a real print queue. Needs root; safe to run again.
set -euo pipefail

case "${1:-start}" in
  start)
    if ! command -v cupsd >/dev/null 2>&1 || [ "$(id -u)" != 0 ]; then
      echo "print-queue: no cupsd or not root; printing tests will be skipped" >&2
      exit 0
    fi
    if ! lpstat -r 2>/dev/null | grep -q "is running"; then
      mkdir -p /run/cups
      /usr/sbin/cupsd </dev/null >/dev/null 2>&1
      for _ in $(seq 1 100); do lpstat -r 2>/dev/null | grep -q "is running" && break; sleep 0.1; done
    fi
    if ! lpstat -p PDF >/dev/null 2>&1; then
      lpadmin -p PDF -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_noopt.ppd -E
    fi
    lpadmin -d PDF
    ;;
  stop)
    pkill -x cupsd || true
    ;;
esac
