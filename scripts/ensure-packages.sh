#!/usr/bin/env bash
# Installs every package of scripts/packages.txt that is missing, with apt-get.
# Skips apt-get entirely when everything is present. Sourced or run from the
# repository root; exits 1 with one clear line when it cannot install.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
list="${1:-$here/packages.txt}"

missing=()
while read -r pkg; do
  pkg="${pkg%%#*}"
  pkg="$(echo "$pkg" | tr -d '[:space:]')"
  [ -n "$pkg" ] || continue
  status="$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)"
  [ "$status" = "installed" ] || missing+=("$pkg")
done <"$list"

[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  as_root=(sudo -n)
else
  echo "explosions: missing packages (${missing[*]}) and no way to install them: run as root or with passwordless sudo" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# A fresh machine has never fetched the package lists; fetch them once.
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
