#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what `make test-cluster` needs beyond scripts/install-deps.sh: a
# Slurm controller and node daemon with munge for their authentication, and
# GNU parallel. The test starts its own daemons; nothing here is enabled.
# Only what is missing is installed, so a second run costs a few dpkg queries.
set -euo pipefail

packages=(slurm-wlm munge parallel)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
