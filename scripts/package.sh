#!/usr/bin/env bash
# Builds the Debian package field-console_VERSION_ARCH.deb into build-deb/ (or $FC_PACKAGE_BUILD_DIR)
# and checks it:
#   - lintian reports no error; desktop-file-validate and appstreamcli validate pass;
#   - unpacked into a temporary root (dpkg-deb -x), the programs run from there: --help, a read from
#     the built-in simulated controller, and the window program finds its icons in
#     usr/share/field-console/Resources (seen with strace: the compiled-in copies would hide a miss).
# With --install (root only; it changes the system, as CI may) it then installs the package for real,
# checks that a dialout member's first start creates the shared account file in /var/lib/field-console,
# and purges it again: the account file stays, an empty folder goes.
# Extra arguments go to CMake's configure step (e.g. -DCMAKE_CXX_COMPILER_LAUNCHER=ccache).
set -euo pipefail
cd "$(dirname "$0")/.."

install_check=0
if [ "${1:-}" = "--install" ]; then install_check=1; shift; fi
dir=${FC_PACKAGE_BUILD_DIR:-build-deb}
jobs=${FC_JOBS:-$(nproc)}

fail() { echo "package check FAILED: $*" >&2; exit 1; }

FC_WITH_PACKAGE=1 bash scripts/install-deps.sh

echo "-- building the package in $dir"
# Debian's hardening flags (fortify, stack protector, relro, bindnow), as a Debian build would use.
# Without the source folder's path in the flags, so that ccache can share objects between clones.
export DEB_BUILD_MAINT_OPTIONS="hardening=+all reproducible=-fixfilepath,-fixdebugpath"
# -Wdate-time is left out: the About window shows the build date (__DATE__) on purpose.
cppflags=$(dpkg-buildflags --get CPPFLAGS | sed 's/-Wdate-time//')
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFC_BUILD_TESTS=OFF -DFC_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$cppflags $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" "$@" >/dev/null
cmake --build "$dir" -j"$jobs"
rm -f "$dir"/field-console_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
debs=("$dir"/field-console_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single field-console_*.deb"
deb=$(realpath "${debs[0]}")
echo "-- $deb"
dpkg-deb --field "$deb" Package Version Architecture Depends

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root="$work/root"
dpkg-deb -x "$deb" "$root"

echo "-- lintian"
lintian --fail-on error --display-info "$deb" || fail "lintian reports errors"

echo "-- desktop entry and AppStream metainfo"
desktop-file-validate "$root/usr/share/applications/field-console.desktop"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml

echo "-- what the package puts where"
for f in usr/bin/field-console usr/bin/field-console-cli usr/bin/m852-sim usr/bin/fc-snapshot \
         usr/share/field-console/Resources/APX.ico usr/share/field-console/Resources/Connect.ico \
         usr/share/field-console/Resources/Disconnect.ico \
         usr/share/icons/hicolor/64x64/apps/field-console.png \
         usr/share/man/man1/field-console.1.gz usr/share/man/man1/field-console-cli.1.gz \
         usr/share/man/man1/m852-sim.1.gz usr/share/man/man1/fc-snapshot.1.gz \
         usr/share/doc/field-console/copyright usr/share/doc/field-console/changelog.gz; do
  [ -f "$root/$f" ] || fail "$f missing"
done
[ ! -e "$root/usr/bin/Resources" ] || fail "usr/bin/Resources must not be installed"
# The menu icon named by the desktop entry (Icon=field-console): a 64 x 64 PNG in hicolor's 64x64.
icon="$root/usr/share/icons/hicolor/64x64/apps/field-console.png"
[ "$(od -An -tx1 -N8 "$icon" | tr -d ' ')" = 89504e470d0a1a0a ] || fail "menu icon is no PNG"
[ "$(od -An -tu1 -j16 -N8 "$icon" | tr -s ' ')" = " 0 0 0 64 0 0 0 64" ] || fail "menu icon is not 64 x 64"
grep -qx 'Icon=field-console' "$root/usr/share/applications/field-console.desktop" \
  || fail "the desktop entry names another icon"
for page in "$root"/usr/share/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "manual page $(basename "$page"): $warnings"
done

echo "-- the programs, run from the unpacked package"
# A home of its own, so no settings of the user running this are read or written.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset FC_HOME
bin="$root/usr/bin"
"$bin/field-console-cli" --help >"$work/cli-help" || fail "field-console-cli --help"
grep -q 'read START COUNT' "$work/cli-help" || fail "field-console-cli --help prints no usage"
"$bin/m852-sim" --help >"$work/sim-help" || fail "m852-sim --help"
grep -q -- '--link' "$work/sim-help" || fail "m852-sim --help prints no options"
"$bin/field-console" --version | grep -qx "Field Console $(dpkg-deb --field "$deb" Version)" \
  || fail "field-console --version"
"$bin/field-console-cli" --port 0 read 2 14 >"$work/read"
cat "$work/read"
# Registers 2..15, one "REGISTER VALUE" line each.
[ "$(awk '$1 == NR + 1 && $2 ~ /^-?[0-9]+$/' "$work/read" | wc -l)" -eq 14 ] \
  || fail "field-console-cli --port 0 read 2 14 did not print registers 2-15"

echo "-- the installed program finds its Resources"
# fc-snapshot runs the real user interface past the login. FC_HOME (account file and settings of the
# run) stands in for the executable's folder, usr/bin of the unpacked package, so the icons must be
# found by the lookup of an installed program: ../share/field-console/Resources.
FC_HOME="$bin" QT_QPA_PLATFORM=offscreen strace -f -qq -e trace=openat -o "$work/trace" \
  "$bin/fc-snapshot" --role 3 --port 0 --out "$work/snap" 3 >/dev/null 2>"$work/snap-err" \
  || { cat "$work/snap-err" >&2; fail "fc-snapshot from the unpacked package"; }
[ -s "$work/snap/mdiMain.png" ] || fail "fc-snapshot wrote no mdiMain.png"
resources="$root/usr/share/field-console/Resources"
for icon in APX.ico Connect.ico Disconnect.ico; do
  if grep -F "\"$resources/$icon\"" "$work/trace" | grep -qv '= -1'; then
    echo "opened $resources/$icon"
  elif [ "$icon" = APX.ico ]; then
    # The application icon is on every window: it must come from the installed file.
    grep -F "/$icon\"" "$work/trace" >&2 || true
    fail "the program did not open $resources/$icon"
  fi
done

if [ "$install_check" = 1 ]; then
  [ "$(id -u)" -eq 0 ] || fail "--install needs root"
  echo "-- installing the package for real"
  if dpkg-query -W -f='${Status}' field-console 2>/dev/null | grep -q 'install ok installed'; then
    fail "field-console is installed already; remove it first (dpkg --purge field-console)"
  fi
  shared=/var/lib/field-console
  # An existing folder (set up by hand, see README) is put aside and brought back afterwards.
  aside=
  if [ -e "$shared" ]; then aside="$shared.before-package-check.$$"; mv "$shared" "$aside"; fi
  cleanup() {
    dpkg --purge field-console >/dev/null 2>&1 || true
    rm -rf "$shared"
    if [ -n "$aside" ]; then mv "$aside" "$shared"; fi
    rm -rf "$work"
  }
  trap cleanup EXIT
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" </dev/null >/dev/null
  [ "$(stat -c '%U:%G %a' "$shared")" = "root:dialout 2775" ] \
    || fail "$shared is $(stat -c '%U:%G %a' "$shared"), not root:dialout 2775"
  [ ! -e /usr/bin/Resources ] || fail "/usr/bin/Resources exists"

  # A dialout member who is not root starts the program: the login creates the shared file in the
  # machine-wide folder, since /usr/bin is not writable for this user.
  chmod 711 "$work"
  userhome="$work/userhome"
  mkdir -p "$userhome" && chown 65534:20 "$userhome"
  as_member() { setpriv --reuid=65534 --regid=20 --clear-groups env HOME="$userhome" \
                XDG_CONFIG_HOME="$userhome/.config" XDG_RUNTIME_DIR="$userhome" "$@"; }
  as_member env QT_QPA_PLATFORM=offscreen /usr/bin/field-console >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 60); do [ -s "$shared/UserAcc.dat" ] && break; sleep 0.5; done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  [ -s "$shared/UserAcc.dat" ] || fail "the first start of a dialout member made no $shared/UserAcc.dat"
  ls -l "$shared/UserAcc.dat"
  [ "$(stat -c '%G' "$shared/UserAcc.dat")" = dialout ] || fail "UserAcc.dat is not in the group dialout"
  setpriv --reuid=65533 --regid=20 --clear-groups test -w "$shared/UserAcc.dat" \
    || fail "another dialout member cannot change UserAcc.dat"
  [ ! -e /usr/bin/UserAcc.dat ] || fail "an account file was made in /usr/bin"

  echo "-- purge keeps the users' account file"
  dpkg --purge field-console >/dev/null
  [ ! -e /usr/bin/field-console ] || fail "purge left /usr/bin/field-console"
  [ -f "$shared/UserAcc.dat" ] || fail "purge removed the users' account file"
  rm -f "$shared/UserAcc.dat"
  echo "-- purge removes the empty folder the package made"
  apt-get install -y -qq --no-install-recommends "$deb" </dev/null >/dev/null
  dpkg --purge field-console >/dev/null
  [ ! -e "$shared" ] || fail "purge left the empty folder $shared"
fi

echo "package checks passed"
