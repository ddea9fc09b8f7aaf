# Installs the Debian packages a command needs, only those missing.
# Usage: installa_pacchetti pkg...
installa_pacchetti() {
    local mancanti=()
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            mancanti+=("$p")
    done
    [ ${#mancanti[@]} -eq 0 ] && return 0
    local come=()
    [ "$(id -u)" -ne 0 ] && come=(sudo)
    echo "Installo: ${mancanti[*]}"
    "${come[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    # A package this Debian release does not have is named as such, rather
    # than left to apt's generic error.
    local assenti=()
    for p in "${mancanti[@]}"; do
        apt-cache show "$p" >/dev/null 2>&1 || assenti+=("$p")
    done
    if [ ${#assenti[@]} -gt 0 ]; then
        local rilascio
        rilascio=$(. /etc/os-release 2>/dev/null && echo "$PRETTY_NAME")
        echo "Pacchetti non disponibili in ${rilascio:-questa versione di Debian} ($(dpkg --print-architecture)): ${assenti[*]}" >&2
        return 1
    fi
    "${come[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${mancanti[@]}"
}

# What building the program needs.
PACCHETTI_COSTRUZIONE=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev
                       unixodbc unixodbc-dev libsqliteodbc fonts-liberation sqlite3
                       librsvg2-bin)

# Builds into the given folder (default: build).
costruisci() {
    local cartella=${1:-build}
    cmake -S . -B "$cartella" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$cartella"
}
