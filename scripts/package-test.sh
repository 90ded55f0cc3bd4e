#!/usr/bin/env bash
# Builds the Debian package and checks it as a shop gets it: its contents and
# declared dependencies, the menu entry, the software-centre description, the
# icons and the manual page; then installs it and starts the installed program
# in a fresh home until it shows the sign-in window.
#
#   bash scripts/package-test.sh [BUILD_DIR]     (default: build)
#
# Under CI (CI=true, as root) the package is installed on the machine with
# apt-get, which also proves that its dependencies install, and purged again
# at the end. Elsewhere it is unpacked into a throw-away folder and apt-get
# only simulates the installation, so a developer's or a shop's machine keeps
# its packages as they are.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
work=$(mktemp -d)
program_pid=""
installed=""

cleanup() {
  if [[ -n $program_pid ]]; then
    kill "$program_pid" 2>/dev/null || true
    wait "$program_pid" 2>/dev/null || true
  fi
  if [[ -n $installed ]]; then
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -q -o DPkg::Lock::Timeout=300 quollin >/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "package-test: FAIL: $*" >&2
  exit 1
}

# --- build ------------------------------------------------------------------
# cpack brings the build up to date before it installs into its staging folder.
(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
debs=("$work"/out/quollin_*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || fail "expected one quollin_*.deb, found: ${debs[*]}"
deb=${debs[0]}
echo "built $(basename "$deb") ($(du -h "$deb" | cut -f1))"

# --- control fields -----------------------------------------------------------
dpkg-deb -I "$deb" >/dev/null || fail "dpkg-deb -I cannot read the package"
[[ $(dpkg-deb -f "$deb" Package) == quollin ]] || fail "package name"
[[ $(dpkg-deb -f "$deb" Architecture) == "$(dpkg --print-architecture)" ]] || fail "architecture"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# Each library the program links (found by dpkg-shlibdeps), and what it only
# loads at run time: the Chinese faces and Qt's own Chinese translations.
for need in libqt6core6 libqt6gui6 libqt6widgets6 libqt6charts6 libqt6printsupport6 \
            libsqlcipher libsodium libxlsxwriter libfreexl libgsf libicu \
            fonts-noto-cjk qt6-translations-l10n; do
  grep -Eq "(^|, )$need[a-z0-9.-]*( \(|,|$)" <<<"$depends" || fail "Depends lacks $need"
done

# --- contents -----------------------------------------------------------------
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|; s|/$||' | sort >"$work/contents"
expected=(
  /usr/bin/quollin
  /usr/share/applications/quollin.desktop
  /usr/share/icons/hicolor/scalable/apps/quollin.svg
  /usr/share/man/man1/quollin.1.gz
  /usr/share/metainfo/example.quollin.jxc.metainfo.xml
)
sizes=(16 22 24 32 48 64 128 256)
for n in "${sizes[@]}"; do expected+=("/usr/share/icons/hicolor/${n}x${n}/apps/quollin.png"); done
for f in "${expected[@]}"; do
  grep -qxF "$f" "$work/contents" || fail "the package lacks $f"
done
# Nothing of the build machine (a staging path, a library of ours) rides along.
if grep -v '^/usr\(/\(bin\|share\)\(/.*\)\?\)\?$' "$work/contents" | grep -q .; then
  fail "files outside /usr/bin and /usr/share: $(grep -v '^/usr\(/\(bin\|share\)\(/.*\)\?\)\?$' "$work/contents" | tr '\n' ' ')"
fi

# --- the files as shipped -------------------------------------------------------
mkdir "$work/root"
dpkg-deb -x "$deb" "$work/root"
share=$work/root/usr/share

desktop-file-validate "$share/applications/quollin.desktop" || fail "desktop-file-validate on the menu entry"
grep -qxF 'Exec=/usr/bin/quollin' "$share/applications/quollin.desktop" \
  || fail "the menu entry does not start /usr/bin/quollin: $(grep '^Exec=' "$share/applications/quollin.desktop")"
grep -qxF 'Icon=quollin' "$share/applications/quollin.desktop" || fail "the menu entry names another icon"

appstreamcli validate --no-net "$share/metainfo/example.quollin.jxc.metainfo.xml" || fail "appstreamcli validate"
grep -qF "<release version=\"$(dpkg-deb -f "$deb" Version)\"" "$share/metainfo/example.quollin.jxc.metainfo.xml" \
  || fail "the metainfo has no release line for this version"
grep -qF '<launchable type="desktop-id">quollin.desktop</launchable>' "$share/metainfo/example.quollin.jxc.metainfo.xml" \
  || fail "the metainfo does not launch quollin.desktop"

for n in "${sizes[@]}"; do
  kind=$(file -b "$share/icons/hicolor/${n}x${n}/apps/quollin.png")
  [[ $kind == "PNG image data, $n x $n,"* ]] || fail "icon ${n}x${n} is: $kind"
done

man_warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$share/man/man1/quollin.1.gz" 2>&1 >"$work/man.txt") || fail "man cannot show the page"
[[ -z $man_warnings ]] || fail "man page warnings: $man_warnings"
for option in --database --new QUOLLIN_DATABASE; do
  grep -q -- "$option" "$work/man.txt" || fail "the man page does not explain $option"
done

# --- install ------------------------------------------------------------------
if [[ ${CI:-} == true && $(id -u) -eq 0 ]]; then
  echo "installing on this machine with apt-get (CI)"
  installed=yes
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q -o DPkg::Lock::Timeout=300 "$deb" >"$work/apt.log" 2>&1 \
    || { cat "$work/apt.log"; fail "apt-get install"; }
  prefix=/usr
else
  echo "unpacked into a throw-away root; apt-get only simulates the installation"
  apt-get install -s -q "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get cannot install the package here"; }
  prefix=$work/root/usr
fi
program=$prefix/bin/quollin
missing=$(ldd "$program" | grep 'not found' || true)
[[ -z $missing ]] || fail "libraries not found: $missing"

# --- start --------------------------------------------------------------------
# A fresh home with a desktop folder and nothing else. The program writes its
# desktop shortcut there when the sign-in window comes up, which tells that
# start-up got that far without looking into its windows.
home=$work/home
mkdir -p "$home/Desktop" "$work/runtime"
chmod 700 "$work/runtime"
shortcut=$home/Desktop/Quollin进销存.desktop
env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen \
  "$program" >"$work/program.log" 2>&1 &
program_pid=$!
deadline=$((SECONDS + 120))
while [[ ! -s $shortcut ]]; do
  if ! kill -0 "$program_pid" 2>/dev/null; then
    wait "$program_pid" && status=0 || status=$?
    program_pid=""
    cat "$work/program.log" >&2
    fail "the installed program ended (status $status) before showing the sign-in window"
  fi
  ((SECONDS < deadline)) || { cat "$work/program.log" >&2; fail "no sign-in window within 120 s"; }
  sleep 0.2
done
echo "the installed program reached the sign-in window"
[[ -f $home/.local/share/brennick/jxc/data.db ]] || fail "no new database in the fresh home"
# The shortcut the program wrote points at the installed program and icon.
desktop-file-validate "$shortcut" || fail "desktop-file-validate on the shortcut the program wrote"
grep -qxF "Exec=$program" "$shortcut" || fail "the shortcut starts $(grep '^Exec=' "$shortcut")"
icon=$(sed -n 's/^Icon=//p' "$shortcut")
[[ $icon == "$prefix/share/icons/hicolor/scalable/apps/quollin.svg" && -f $icon ]] || fail "the shortcut's icon is '$icon'"

echo "package-test: all checks passed"
