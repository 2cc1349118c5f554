#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian packages (no tests in this build) and checks them and the desktop
# metadata with lintian, desktop-file-validate and appstreamcli.
#   scripts/package.sh      packages in build-package/
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh

kivo_install_missing "${kivo_packages[@]}" dpkg-dev file lintian desktop-file-utils appstream
rm -rf build-package
# Debian's hardening (fortify, stack protector, relro and bind-now), as a distribution builds.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CPPFLAGS=$(dpkg-buildflags --get CPPFLAGS)
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $CPPFLAGS"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
export CXXFLAGS LDFLAGS
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DKIVO_BUILD_TESTS=OFF \
    -DKIVO_WERROR=OFF -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build build-package --parallel "$(nproc)"
(cd build-package && cpack -G DEB)
desktop-file-validate share/kivo.desktop
appstreamcli validate --no-net share/metainfo/net.veltra.Kivo.metainfo.xml
lintian --fail-on error build-package/*.deb
ls build-package/*.deb
