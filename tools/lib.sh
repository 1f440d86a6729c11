# Shared by the tools: where things are, and the machine set-up every command starts with.
# shellcheck shell=bash
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${VANTREL_BUILD:-$ROOT/build}
SESSION_FILE=$BUILD/wine-session.env

# Installs with apt whatever this machine still lacks (a fresh Debian 12 needs all of it).
ensure_packages() {
  local want=(locales wine wine32:i386 fonts-wine g++-mingw-w64-i686 cmake make g++ xvfb x11-utils
              fonts-wqy-microhei googletest imagemagick clang libclang-rt-14-dev)
  local missing=()
  for p in "${want[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  local sudo=; [ "$(id -u)" -eq 0 ] || sudo=sudo
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}" >&2
    dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
  # Wine takes its code page (936) from LC_ALL; with the locale present the shells stay quiet.
  locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$' || $sudo localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
}

build_project() {
  (cd "$ROOT" && cmake --preset default >/dev/null && cmake --build --preset default -- --no-print-directory)
}

# The Windows form (Z:\...) of a path on this machine, as Wine maps the root file system.
winepath_of() { printf 'Z:%s' "$(realpath -m "$1" | tr / '\\')"; }
