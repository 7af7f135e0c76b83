#!/usr/bin/env bash
# Installs the Debian 12 packages Quorvel needs to build, run and test.
# Idempotent: apt-get runs only when a package is missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libsqlcipher-dev libssl-dev libcli11-dev libfmt-dev zlib1g-dev libcairo2-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  python3-dbfread undbx notmuch
  qt6-base-dev qt6-qpa-plugins help2man
)
if [[ "${1:-}" == "--fuzz" ]]; then packages+=(clang libclang-rt-14-dev); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then missing+=("$p"); fi
done
if ((${#missing[@]} == 0)); then exit 0; fi

echo "Installing: ${missing[*]}" >&2
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
