#!/usr/bin/env bash
# Installs every Debian 12 package Horalog needs to build, run and test.
# Packages already present are skipped; sudo is used only when not root.
# --checks adds the compiler and runtimes of the sanitizer and fuzzing build (.ci/run).
set -euo pipefail

PACKAGES=(
  # toolchain
  build-essential cmake pkg-config ninja-build
  # the command-line parser (header-only)
  libcli11-dev
  # Qt 6 Widgets, serial ports, printing
  qt6-base-dev qt6-serialport-dev libqt6serialport6 qt6-qpa-plugins
  # storage: SQLite built as SQLCipher, and its command-line tool
  libsqlcipher-dev sqlcipher libssl-dev
  # the database server engine: its client library, and the server the tests start
  libpq-dev postgresql
  # photos, web, mail, speech, spreadsheets
  libturbojpeg0-dev libjpeg62-turbo-dev libcpp-httplib-dev libmicrohttpd-dev libcurl4-openssl-dev
  libespeak-ng-dev espeak-ng-data libxlsxwriter-dev
  # reading .xlsx sheets (zip container)
  libminizip-dev
  # the capture service's readiness report (sd_notify)
  libsystemd-dev
  # the Debian package (cpack -G DEB computes dependencies with dpkg-shlibdeps)
  dpkg-dev file
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  poppler-utils python3-aiosmtpd python3-openpyxl
  # a real spreadsheet engine evaluates the payroll workbook's formulas
  libreoffice-calc-nogui
  # the completion script's test sources the completion framework
  bash-completion
  # fonts for reports and screenshots
  fonts-dejavu-core fonts-liberation2
)
if [ "${1:-}" = "--checks" ]; then
  PACKAGES+=(clang-14 libclang-rt-14-dev)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
