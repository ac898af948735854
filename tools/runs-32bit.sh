#!/usr/bin/env bash
# Exits 0 when this machine runs Wine's 32-bit loader natively. Kernels that
# run 64-bit code only need the emulated loader of tools/make-loader.sh.
/usr/lib/wine/wine --version >/dev/null 2>&1
