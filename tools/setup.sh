# Sourced by the build scripts: installs the Debian packages that the builds
# need and are missing (through sudo when not root), and makes Wine prefixes.
orba_sudo=""
[ "$(id -u)" -ne 0 ] && orba_sudo=sudo

orba_missing=()
for p in cmake g++ make googletest libgtest-dev libbenchmark-dev g++-mingw-w64-i686 \
         binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 \
         wine wine32:i386 wine64 xvfb xauth python3 clang libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || orba_missing+=("$p")
done
if [ ${#orba_missing[@]} -gt 0 ]; then
  echo "Installing: ${orba_missing[*]}"
  dpkg --print-foreign-architectures | grep -qx i386 || $orba_sudo dpkg --add-architecture i386
  $orba_sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $orba_sudo apt-get install -y -q "${orba_missing[@]}"
fi

# 1 when this machine can start 32-bit x86 programs (Wine's 32-bit loader is one).
orba_can_run_32bit() {
  [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && return 1
  /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

# orba_wine_prefix 32|64 FOLDER: makes the prefix once; later runs reuse it.
orba_wine_prefix() {
  local bits=$1
  export ORBA_WINEPREFIX="$2"
  if [ ! -f "$ORBA_WINEPREFIX/system.reg" ]; then
    echo "Making the Wine prefix $ORBA_WINEPREFIX"
    mkdir -p "$(dirname "$ORBA_WINEPREFIX")"
    local loader=wine arch=win32
    [ "$bits" = 64 ] && loader=/usr/lib/wine/wine64 arch=win64
    WINEPREFIX="$ORBA_WINEPREFIX" WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
      "$loader" wineboot -i >/dev/null 2>&1 || true
    WINEPREFIX="$ORBA_WINEPREFIX" wineserver -w || true
  fi
}
