# Shared by ./run and ./test: installing what the build needs, building, and the Wine and
# virtual-display sessions the program runs in. Sourced, not run.

VELKARI_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VELKARI_BUILD="$VELKARI_ROOT/build/cross"
export PATH="$PATH:/usr/sbin:/sbin"

velkari_log() { printf '== %s\n' "$*" >&2; }

# Installs, with apt-get, whatever of the toolchain, Wine and X tools is missing.
velkari_install_deps() {
    local missing=()
    command -v cmake >/dev/null || missing+=(cmake)
    command -v ninja >/dev/null || missing+=(ninja-build)
    command -v x86_64-w64-mingw32-g++-posix >/dev/null || missing+=(g++-mingw-w64-x86-64-posix)
    command -v g++ >/dev/null || missing+=(g++)
    command -v x86_64-w64-mingw32-windres >/dev/null || missing+=(binutils-mingw-w64-x86-64)
    command -v wine >/dev/null || missing+=(wine wine64)
    command -v Xvfb >/dev/null || missing+=(xvfb)
    command -v xdotool >/dev/null || missing+=(xdotool)
    command -v import >/dev/null || missing+=(imagemagick)
    [ -f /usr/src/googletest/CMakeLists.txt ] || missing+=(googletest)
    # Chinese glyphs under Wine come from a CJK font that fontconfig offers.
    [ -d /usr/share/fonts/truetype/wqy ] || missing+=(fonts-wqy-microhei)
    command -v locale-gen >/dev/null || missing+=(locales)
    local sudo=
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    if [ ${#missing[@]} -gt 0 ]; then
        velkari_log "installing: ${missing[*]}"
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
    fi
    velkari_generate_locales
}

# Wine takes the code page from the locale's name, but names files on the Unix side in the
# locale's own character set: without the locale generated, files with Chinese names cannot
# be made.
velkari_generate_locales() {
    local wanted=(zh_CN.UTF-8 en_US.UTF-8) name missing=()
    for name in "${wanted[@]}"; do
        locale -a 2>/dev/null | grep -qix "${name/UTF-8/utf8}" || missing+=("$name")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    velkari_log "generating locales: ${missing[*]}"
    local sudo=
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    for name in "${missing[@]}"; do
        grep -qx "$name UTF-8" /etc/locale.gen 2>/dev/null || echo "$name UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
    done
    $sudo locale-gen >/dev/null
}

velkari_build() {
    if [ ! -f "$VELKARI_BUILD/build.ninja" ]; then
        cmake --preset cross -S "$VELKARI_ROOT" >/dev/null
    fi
    cmake --build "$VELKARI_BUILD"
}

# The files that need no Windows, with the host compiler and the sanitizers.
velkari_build_native() {
    if [ ! -f "$VELKARI_ROOT/build/native/build.ninja" ]; then
        cmake --preset native -S "$VELKARI_ROOT" >/dev/null
    fi
    cmake --build "$VELKARI_ROOT/build/native"
}

VELKARI_CLEANUP=()
velkari_cleanup() {
    local i
    for ((i = ${#VELKARI_CLEANUP[@]} - 1; i >= 0; i--)); do eval "${VELKARI_CLEANUP[i]}" || true; done
}
trap velkari_cleanup EXIT
trap 'exit 130' INT TERM

# Starts a private Xvfb and points DISPLAY at it for the rest of the script.
velkari_start_virtual_display() {
    local fifo
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    local pid=$!
    VELKARI_CLEANUP+=("kill $pid 2>/dev/null; wait $pid 2>/dev/null")
    local number
    read -r -t 30 number <"$fifo"
    rm -f "$fifo"
    [ -n "$number" ] || { velkari_log "Xvfb did not start"; return 1; }
    export DISPLAY=":$number"
}

# velkari_wine_session PREFIX LOCALE [unmanaged]: makes the prefix if it is new and keeps one
# wineserver alive for it until the script ends. Unmanaged windows skip the wait for a window
# manager that a bare virtual display does not have.
velkari_wine_session() {
    local prefix=$1 locale=$2 managed=Y
    [ "${3:-}" = unmanaged ] && managed=N
    local wine_env=(env WINEPREFIX="$prefix" LC_ALL="$locale" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=")
    if [ ! -f "$prefix/.velkari-ready" ]; then
        velkari_log "creating Wine prefix $prefix"
        "${wine_env[@]}" wineboot -i >/dev/null 2>&1
        "${wine_env[@]}" wineserver -w
        # Wine draws the caption buttons with Marlett, which fontconfig does not offer it.
        cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
    fi
    "${wine_env[@]}" wineserver -p
    "${wine_env[@]}" wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d "$managed" /f >/dev/null 2>&1
    touch "$prefix/.velkari-ready"
    VELKARI_CLEANUP+=("WINEPREFIX='$prefix' wineserver -k 2>/dev/null")
}
