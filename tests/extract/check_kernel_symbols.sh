#!/usr/bin/env bash
# No function built with a vector kernel's instructions may be bound by the linker for code
# outside that kernel: the kernel's object defines no weak symbol (an inline function or a
# template instantiated there, of which the linker keeps any one copy for the whole
# program, so that a processor without those instructions could run it).
# Usage: check_kernel_symbols.sh OBJECT...  (each argument may be a ';'-separated list);
# the objects of the vector kernels (avx2.cpp.o, avx512.cpp.o) among them are checked.
set -euo pipefail
checked=0 status=0
for arg in "$@"; do
  IFS=';' read -ra objects <<<"$arg"
  for object in "${objects[@]}"; do
    case "$(basename "$object")" in avx2.cpp.o | avx512.cpp.o) ;; *) continue ;; esac
    checked=$((checked + 1))
    weak=$(nm -C --defined-only "$object" | awk '$2 ~ /^[WVu]$/ { $1 = ""; $2 = ""; print "  " substr($0, 3) }')
    if [ -n "$weak" ]; then
      printf '%s: weak symbols, which code outside its kernel may be bound to:\n%s\n' "$object" "$weak"
      status=1
    fi
  done
done
if [ "$checked" -eq 0 ]; then
  echo "check_kernel_symbols.sh: no vector kernel object among the arguments" >&2
  exit 1
fi
[ "$status" -eq 0 ] && echo "check_kernel_symbols.sh: $checked vector kernel objects, no weak symbol"
exit "$status"
