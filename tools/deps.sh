#!/usr/bin/env bash
# Installs what a fresh machine lacks for building and testing morvane
# (Debian packages; run as root). Installs nothing that is already there.
set -euo pipefail
need=()
have() { command -v "$1" >/dev/null 2>&1; }
pkg_ok() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
have cmake || need+=(cmake)
have ninja || need+=(ninja-build)
have g++ || need+=(g++)
have gfortran || need+=(gfortran)
have gs || need+=(ghostscript)
have python3 || need+=(python3)
have i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686)
have i686-w64-mingw32-gfortran-posix || need+=(gfortran-mingw-w64-i686)
# The win64 preset: 64-bit Windows programs, run under Wine.
have x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64)
have x86_64-w64-mingw32-gfortran-posix || need+=(gfortran-mingw-w64-x86-64)
pkg_ok wine64 || need+=(wine64)
have wine || need+=(wine)
have parallel || need+=(parallel)
have pkg-config || need+=(pkg-config)
pkg_ok libgtest-dev || need+=(libgtest-dev)
pkg_ok libgmock-dev || need+=(libgmock-dev)
pkg_ok googletest || need+=(googletest)  # its sources, built for Windows by the win64 preset
pkg_ok libbenchmark-dev || need+=(libbenchmark-dev)
pkg_ok libcli11-dev || need+=(libcli11-dev)
# The fuzz preset (clang with libFuzzer and its sanitizers) and the coverage report.
have clang++-14 || need+=(clang-14)
pkg_ok libclang-rt-14-dev || need+=(libclang-rt-14-dev)
pkg_ok libfuzzer-14-dev || need+=(libfuzzer-14-dev)
have lcov || need+=(lcov)
if [ ${#need[@]} -gt 0 ]; then
  echo "installing: ${need[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}"
fi
