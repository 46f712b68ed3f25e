#!/bin/sh
# Installs what Ardentix needs to build and test on Debian 12 (as root).
set -e
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends \
  build-essential cmake ninja-build pkg-config git ca-certificates \
  libgtest-dev libgmock-dev clang libclang-rt-14-dev \
  qpdf poppler-utils locales \
  unixodbc-dev libsqliteodbc odbc-postgresql postgresql \
  python3-dbfread gdal-bin libxml2-utils sqlite3 \
  libwxgtk3.2-dev libwxgtk-webview3.2-dev xvfb xauth fonts-liberation2 >/dev/null
# The locale-independence tests run under a comma-decimal locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  localedef -i de_DE -f UTF-8 de_DE.UTF-8 || true
fi
