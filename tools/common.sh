# Shared by tools/run, tools/test and .ci/run: what Orvex needs from Debian 12, and how it is
# configured and built. Sourced, not run.

ORVEX_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Build dependencies, by Debian package name. Add here what the build starts to need.
ORVEX_PACKAGES=(cmake ninja-build g++ libgtest-dev qt6-base-dev desktop-file-utils rapidjson-dev
    python3-jsonschema appstream mandoc ffmpeg)

orvex_missing_packages() {
    local package
    for package in "${ORVEX_PACKAGES[@]}"; do
        dpkg -s "$package" 2>/dev/null | grep -q '^Status: install ok installed' ||
            echo "$package"
    done
}

# Installs with apt-get only what is missing: as root directly, otherwise through sudo.
orvex_install_dependencies() {
    local missing
    mapfile -t missing < <(orvex_missing_packages)
    [ "${#missing[@]}" -eq 0 ] && return 0
    local as_root=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            echo "Orvex needs these Debian packages: ${missing[*]}" >&2
            echo "Install them as root (apt-get install ${missing[*]}) and run this again." >&2
            exit 1
        fi
        as_root=(sudo)
    fi
    echo "Installing ${missing[*]} ..."
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
        "${missing[@]}"
}

# orvex_build BUILD_DIR [CMAKE_OPTION...] [-- TARGET...]: configures with CMake and Ninja, then
# builds the targets given, or everything.
orvex_build() {
    local dir="$1"
    shift
    local options=() targets=()
    while [ "$#" -gt 0 ] && [ "$1" != "--" ]; do
        options+=("$1")
        shift
    done
    [ "$#" -gt 0 ] && shift
    targets=("$@")
    cmake -S "$ORVEX_ROOT" -B "$dir" -G Ninja "${options[@]}"
    if [ "${#targets[@]}" -gt 0 ]; then
        cmake --build "$dir" --target "${targets[@]}"
    else
        cmake --build "$dir"
    fi
}
