#!/usr/bin/env bash
# Writes a help2man include file with a SUBCOMMANDS section: for each subcommand that
# `TOOL --help` lists, what `TOOL SUBCOMMAND --help` says. subcommands.sh TOOL FILE.h2m
set -euo pipefail
tool=$1
exec >"$2"

# Text as roff shows it: backslashes and hyphens escaped, no line read as a request.
roff() { sed -e 's/\\/\\e/g' -e 's/-/\\-/g' -e "s/^[.']/\\\\\\&&/"; }

names=$("$tool" --help | sed -n '/^Subcommands:$/,/^$/s/^  \([a-z][a-z0-9-]*\).*/\1/p')
[ -n "$names" ] || { echo "subcommands.sh: $tool --help lists no subcommand" >&2; exit 1; }

echo "[SUBCOMMANDS]"
for name in $names; do
  help=$("$tool" "$name" --help)
  usage=$(sed -n '1s/^Usage: zt7util //p' <<<"$help")
  echo ".SS \"$(roff <<<"$usage")\""
  echo ".PP"
  sed -n '2s/^ *//p' <<<"$help" | roff
  if [ "$(wc -l <<<"$help")" -gt 2 ]; then
    echo ".PP"
    tail -n +3 <<<"$help" | sed 's/^ *//' | roff
  fi
done
cat <<'SEE'
[SEE ALSO]
.BR zt7util (3)
SEE
