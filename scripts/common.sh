# Shared by run.sh and test.sh: installs what is missing, configures, builds.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${VIGILO_BUILD_DIR:-$here/build}"

need_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
}

build_packages=(cmake ninja-build g++ qt6-base-dev qt6-base-private-dev qt6-webengine-dev
                qt6-multimedia-dev libqt6webenginecore6-bin libgl-dev libpulse0 fonts-dejavu-core
                zlib1g-dev libcurl4-openssl-dev libbrotli-dev libzstd-dev pkg-config)
# cpack's Debian generator reads the program's libraries with these.
package_packages=(dpkg-dev file)

# configure_and_build [FOLDER [CMAKE OPTIONS...]]: the build folder is $build
# unless given; warnings are errors here whatever a packager chooses.
configure_and_build() {
  local dir=${1:-$build}
  shift || true
  cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVIGILO_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" --parallel "$(nproc)"
}
