# SPDX-License-Identifier: GPL-3.0-or-later
# Shared set-up for scripts/run and scripts/test: install what is missing
# (Debian packages only, and only when absent), then configure and build.
# Sourced, not run.

CORVANTA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
CORVANTA_BUILD=${CORVANTA_BUILD:-$CORVANTA_ROOT/build}

CORVANTA_PACKAGES=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-qpa-plugins libgl-dev
  libjpeg-dev libgtest-dev
  xvfb xauth x11-utils imagemagick
  curl clang
  php-cli php-mysql mariadb-server mariadb-client chromium
  libssl-dev stunnel4
  apache2 libapache2-mod-php
  # Charts; Debian's qt6-charts-dev lacks its dependency on the OpenGL module.
  qt6-charts-dev libqt6opengl6-dev python3
  librsvg2-bin desktop-file-utils appstream xdotool
)

corvanta_install_missing() {
  local missing=()
  local p
  for p in "${CORVANTA_PACKAGES[@]}" "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  # The package lists of a fresh machine may be empty or stale.
  $sudo apt-get update -q || return 1
  # Installing mariadb-server or apache2 must not start a system-wide
  # server: the scripts and tests start their own on loopback, with data
  # and configuration of their own.
  if [ ! -e /usr/sbin/policy-rc.d ]; then
    printf '#!/bin/sh\nexit 101\n' | $sudo tee /usr/sbin/policy-rc.d >/dev/null
    $sudo chmod +x /usr/sbin/policy-rc.d
    local remove_policy=1
  fi
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
  local rc=$?
  [ -n "${remove_policy:-}" ] && $sudo rm -f /usr/sbin/policy-rc.d
  return $rc
}

# A build directory made for another source or build path (a checkout that
# was moved or copied) cannot be reused: CMake refuses its cache. It is
# configured afresh instead.
corvanta_forget_foreign_cache() {
  local cache="$CORVANTA_BUILD/CMakeCache.txt"
  [ -f "$cache" ] || return 0
  local home cachedir
  home=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$cache")
  cachedir=$(sed -n 's/^CMAKE_CACHEFILE_DIR:INTERNAL=//p' "$cache")
  if [ "$(cd "$home" 2>/dev/null && pwd -P)" != "$(cd "$CORVANTA_ROOT" && pwd -P)" ] ||
     [ "$(cd "$cachedir" 2>/dev/null && pwd -P)" != "$(cd "$CORVANTA_BUILD" && pwd -P)" ]; then
    echo "The build directory $CORVANTA_BUILD was made for ${home:-another source} in ${cachedir:-another place}: configuring it afresh."
    rm -rf "$CORVANTA_BUILD/CMakeCache.txt" "$CORVANTA_BUILD/CMakeFiles"
  fi
}

# corvanta_build [target...]: configures when needed and builds the targets
# (all of them when none is named).
corvanta_build() {
  local gen=() targets=()
  local t
  for t in "$@"; do targets+=(--target "$t"); done
  mkdir -p "$CORVANTA_BUILD"
  corvanta_forget_foreign_cache
  [ -f "$CORVANTA_BUILD/CMakeCache.txt" ] || gen=(-G Ninja)
  cmake -S "$CORVANTA_ROOT" -B "$CORVANTA_BUILD" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null &&
    cmake --build "$CORVANTA_BUILD" -j "$(nproc)" "${targets[@]}"
}
