#!/usr/bin/env bash
# Makes this machine run 32-bit Windows programs under wine32, for the station's cases through the
# 32-bit printer bridge. Where the kernel runs no 32-bit programs, i386 ELF is registered with
# binfmt_misc to qemu-i386-static (through launcher.c, which preloads mmap_noreplace.c); an entry
# the machine already has is never replaced. When it cannot be done, the reason goes to the file
# the 32-bit Wine test reads to say why it skips, and nothing fails.
set -uo pipefail
export DEBIAN_FRONTEND=noninteractive
here=$(cd "$(dirname "$0")" && pwd)
dir=/usr/local/lib/robot-fiscal/i386
reason_file=${ROBOT_CACHE:-$HOME/.cache/robot-fiscal}/win32-unavailable
binfmt=/proc/sys/fs/binfmt_misc
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
APT=($SUDO apt-get -o DPkg::Lock::Timeout=900 -y -qq --no-install-recommends)
mkdir -p "$(dirname "$reason_file")"
rm -f "$reason_file"

give_up() {
  echo "32-bit Wine is not available: $*" | tee "$reason_file" >&2
  exit 0
}

missing() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}

apt_install() {
  local need
  need=$(missing "$@")
  [ -z "$need" ] && return 0
  # shellcheck disable=SC2086
  $SUDO apt-get -o DPkg::Lock::Timeout=900 update -qq && "${APT[@]}" install $need >/dev/null
}

apt_install gcc-i686-linux-gnu libc6-dev-i386-cross ||
  give_up "the 32-bit cross compiler could not be installed"

# The smallest static 32-bit program: whether this machine already runs one decides the rest.
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'int main(void) { return 0; }' >"$probe/probe.c"
i686-linux-gnu-gcc -static -o "$probe/probe" "$probe/probe.c" ||
  give_up "i686-linux-gnu-gcc cannot build a static 32-bit program"

if ! "$probe/probe" 2>/dev/null; then
  apt_install qemu-user-static || give_up "qemu-user-static could not be installed"
  [ -d "$binfmt" ] && [ -e "$binfmt/register" ] ||
    $SUDO mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null ||
    give_up "the kernel runs no 32-bit programs and binfmt_misc cannot be mounted (needs root)"
  for entry in "$binfmt"/*; do
    case $(basename "$entry") in register | status) continue ;; esac
    if grep -qE '^magic 7f454c46010101[0-9a-f]{18}..000300' "$entry" 2>/dev/null; then
      give_up "binfmt entry $(basename "$entry") already handles 32-bit programs, yet they do" \
        "not run; left as it is"
    fi
  done
  $SUDO mkdir -p "$dir/lib/i386-linux-gnu" "$dir/lib/x86_64-linux-gnu" &&
    $SUDO i686-linux-gnu-gcc -O2 -shared -fPIC -o "$dir/lib/i386-linux-gnu/libmmap-noreplace.so" \
      "$here/mmap_noreplace.c" &&
    $SUDO gcc -O2 -shared -fPIC -o "$dir/lib/x86_64-linux-gnu/libmmap-noreplace.so" \
      "$here/mmap_noreplace.c" &&
    $SUDO gcc -O2 -static -DQEMU='"/usr/bin/qemu-i386-static"' -DPRELOAD_DIR="\"$dir\"" \
      -o "$dir/launcher" "$here/launcher.c" ||
    give_up "the qemu launcher or the mmap fix could not be built"
  magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  echo ":robot-fiscal-i386:M::$magic:$mask:$dir/launcher:PF" | $SUDO tee "$binfmt/register" \
    >/dev/null 2>&1 || give_up "binfmt_misc refused the 32-bit entry"
  "$probe/probe" || give_up "a static 32-bit program still does not run through qemu-i386-static"
fi

if [ -n "$(missing wine32:i386)" ]; then
  dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
  apt_install wine32:i386 || give_up "wine32 could not be installed"
fi
# The 32-bit bridge's database cases reach unixODBC's SQLite3 driver through wine32's odbc32;
# without them only those cases skip.
apt_install libodbc2:i386 libsqliteodbc:i386 ||
  echo "the 32-bit unixODBC and SQLite3 driver could not be installed" >&2
echo "32-bit programs and wine32: ready"
