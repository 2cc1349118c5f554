# SPDX-License-Identifier: GPL-3.0-or-later
# Shared set-up of run.sh, test.sh and bench.sh: installs the Debian packages that are
# missing, then configures and builds. Sourced, not run.

# To build and run Kivo; the Noto fonts show Chinese, Japanese, Korean and emoji; QtKeychain
# reaches the desktop's keyring through libsecret; qt6-wayland runs it as a Wayland client;
# libwayland-client and wayland-protocols ask the compositor what Qt 6.4 does not (whether it
# has a seat, and an activation token); Hunspell checks spelling with an English dictionary at
# least; Qt's private headers reach the platform's accessibility (password boxes); the X
# screen saver extension tells whether the user types in another program.
kivo_packages=(cmake ninja-build g++ qt6-base-dev qt6-base-private-dev qt6-tools-dev
    qt6-l10n-tools qt6-qpa-plugins
    libqt6sql6-sqlite qtkeychain-qt6-dev libsecret-1-0 qt6-wayland libwayland-dev
    wayland-protocols pkgconf libhunspell-dev hunspell-en-us libxss-dev
    fonts-dejavu-core fonts-liberation fonts-noto-cjk fonts-noto-color-emoji)
# And to test it: a virtual X server for the tests that need a real one, the validators of the
# desktop file and the AppStream metadata, man to check the manual pages, a keyring,
# certificates for the encrypted connection, a Wayland compositor, and a screen reader with
# speech (no sound card needed), two window managers, a notification daemon, a typist and xprop.
kivo_test_packages=(xvfb xauth desktop-file-utils appstream dbus man-db gnome-keyring openssl
    weston orca speech-dispatcher espeak-ng openbox xfwm4 dunst xdotool x11-utils)

kivo_install_missing() {
    local missing=()
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || {
            echo "Please install as root: apt-get install ${missing[*]}" >&2
            return 1
        }
        sudo=(sudo)
    fi
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
}

# kivo_configure <build-dir> [cmake options...]
kivo_configure() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}
