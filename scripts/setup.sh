#!/usr/bin/env bash
# Installs what building and testing need on a fresh Debian 12 machine (run as root).
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
export DEBIAN_FRONTEND=noninteractive

$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends \
  build-essential cmake pkg-config ccache \
  qtbase5-dev qt6-base-dev libgl1-mesa-dev \
  python3 python3-dev python3-pytest python3-matplotlib \
  python3-pyside2.qtcore python3-pyside2.qtgui python3-pyside2.qtwidgets \
  nlohmann-json3-dev libgtest-dev \
  libdouble-conversion-dev g++-mingw-w64-x86-64 binutils \
  clang libclang-rt-dev clang-format \
  xvfb xauth >/dev/null
echo "setup: build and test dependencies installed"
