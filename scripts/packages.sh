# Debian packages each job needs, and the one place that installs them.
# Sourced by scripts/demo, scripts/test and .ci/run. Installed without their
# recommendations (Wine's alone bring desktop, sound and video libraries):
# this list names everything the jobs use.

# shellcheck disable=SC2034
SLOSHMERE_PACKAGES=(
    cmake ninja-build g++ git
    googletest libgtest-dev libgmock-dev
    g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 wine wine64
    clang libclang-rt-14-dev
    # The zip is packed with Info-ZIP's zip (reproducibly); the package check
    # reads it with a reader of its own.
    zip unzip
    clang-format clang-tidy libbenchmark-dev libinih-dev
    # The picture test renders the drawn SVG with rsvg-convert.
    librsvg2-bin
)

# Installs whatever of "$@" is missing when run as root; otherwise prints the
# one apt-get line to run and fails.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing: ${missing[*]}"
        apt-get update -q
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
    else
        echo "Missing packages. Run:" >&2
        echo "  sudo apt-get install -y --no-install-recommends ${missing[*]}" >&2
        return 1
    fi
}
