#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Brellin needs.
# Idempotent: asks dpkg first and only runs apt-get when something is missing.
set -euo pipefail

PACKAGES=(
  # build
  cmake ninja-build g++ pkg-config clang clang-format
  # Qt 6
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-image-formats-plugins
  # screen capture: the dialogs of interface files (Qt UI Tools needs the OpenGL files)
  qt6-tools-dev libqt6opengl6-dev
  libqt6printsupport6 libqt6svg6 libgl-dev
  # imaging and metafiles
  libpng-dev libdeflate-dev libtiff-dev libjpeg-dev libuemf-dev libemf2svg-dev
  # PDF: the writer's image objects, and poppler-utils, the tools the tests read PDF files with
  libqpdf-dev poppler-utils
  # PDF files opened as documents (poppler; black and white pages through poppler-cpp), and the
  # qpdf tool the form tests read them back with
  libpoppler-qt6-dev libpoppler-cpp-dev qpdf
  # spelling, scanning
  libhunspell-dev hunspell-en-us libsane-dev sane-utils libsane1
  # X11: capture, hot key, tests
  libx11-dev libxfixes-dev libxtst-dev xvfb xdotool xauth x11-utils xdg-utils
  # tests and benchmarks
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  # fonts, locales, tools the tests use
  fonts-dejavu-core fonts-liberation locales imagemagick libtiff-tools
  # the standard icons of the bars where the desktop names no icon theme
  adwaita-icon-theme
  # printing: a private CUPS queue on the PDF backend for the print scenarios
  cups cups-client cups-daemon printer-driver-cups-pdf
  # the desktop's files checked, the file types asked, the manual page, the Debian package
  desktop-file-utils appstream shared-mime-info libglib2.0-bin libxml2-utils groff-base dpkg-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi

# The locale the tests run once under, to catch decimal-comma faults.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "install-deps: generating de_DE.UTF-8" >&2
  if [ -f /etc/locale.gen ]; then
    $SUDO sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
  fi
fi
