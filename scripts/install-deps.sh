#!/bin/sh
# Installs every Debian package that Velloran needs to build, run and test (run as root).
set -eu

PACKAGES="build-essential cmake pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev libjpeg62-turbo-dev libtiff-dev libfreetype-dev
  qtbase5-dev qtbase5-dev-tools libqt5svg5-dev
  libtesseract-dev libleptonica-dev
  tesseract-ocr tesseract-ocr-eng tesseract-ocr-deu tesseract-ocr-fra tesseract-ocr-ita tesseract-ocr-spa
  qpdf poppler-utils mupdf-tools libtiff-tools img2pdf fontforge python3
  fonts-dejavu-core fonts-liberation fonts-urw-base35 fonts-droid-fallback icc-profiles-free
  fonts-noto-cjk libharfbuzz-bin libharfbuzz-dev python3-fonttools fonts-lmodern lmodern texlive-base texlive-fonts-recommended t1-cyrillic
  locales xauth xvfb chromium"

missing=""
for package in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing="$missing $package"
done
if [ -n "$missing" ]; then
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
fi

# The number tests run the writer under a locale that writes a decimal comma.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen
fi
