#!/usr/bin/env bash
# Exits 0 when this machine can run 32-bit Linux programs, and so Wine's
# 32-bit loader. Some kernels are booted with IA32 emulation off.
/usr/lib/wine/wine --version >/dev/null 2>&1
