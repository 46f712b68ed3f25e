#!/bin/sh
# Installs what Ardentix needs to build and test on Debian 12 (as root).
set -e
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends \
  build-essential cmake ninja-build pkg-config git ca-certificates \
  libgtest-dev libgmock-dev clang libclang-rt-14-dev >/dev/null
