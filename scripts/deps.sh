#!/usr/bin/env bash
# Installs the Debian packages nimbal builds and tests with, where missing.
set -euo pipefail
pkgs=(cmake g++ make
      libocct-foundation-dev libocct-modeling-data-dev libocct-modeling-algorithms-dev
      libocct-data-exchange-dev libocct-visualization-dev libocct-ocaf-dev libtbb-dev
      pybind11-dev nlohmann-json3-dev libzip-dev pkg-config python3-pytest python3-mypy xvfb xauth)
pkgs+=("$@")  # what a tool needs beside them (tools/fuzz/run.sh: clang and its sanitizer runtimes)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
