#!/usr/bin/env bash
# jsjxc_capital: one capital text a line for each amount read, an empty line where there is none, the
# messages of a bad character on standard error only.
set -euo pipefail
tool="$1"
out="$(printf '36\n-36\n0\n10.05\r\n' | "$tool" 2>/dev/null)"
expected="$(printf '叁拾陆元整\n负叁拾陆元整\n\n壹拾元零伍分')"
if [ "$out" != "$expected" ]; then
  printf 'unexpected output:\n%s\n' "$out" >&2
  exit 1
fi
err="$(printf -- '3-6\n' | "$tool" 2>&1 >/dev/null)"
[ "$err" = "$(printf '45\n读取错误，应为数字')" ] || { printf 'unexpected messages:\n%s\n' "$err" >&2; exit 1; }
