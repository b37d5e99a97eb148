# Sourced by scripts/run and scripts/test: installs missing Debian packages.

# Debian packages every build needs.
BREVANE_BUILD_PACKAGES=(cmake make g++ qt6-base-dev qt6-svg-dev libqt6svg6 fonts-dejavu-core
    libicu-dev famfamfam-flag-png pkg-config libcurl4-openssl-dev libpcre2-dev libcpp-httplib-dev
    libssl-dev libsqlite3-dev openssl)

# Installs the named packages that are not installed yet (through sudo when not root).
brevane_install_packages() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing Debian packages: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
