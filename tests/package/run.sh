#!/usr/bin/env bash
# Builds the Debian package in a build folder (once: a package newer than
# everything it is made from is used again), checks what it holds and that
# the desktop's validators accept its entry and metadata, installs it (for
# real when run as root on a machine without it, otherwise into a scratch
# root), runs the installed program as an ordinary user under Xvfb, and
# removes the package again.
# Usage: run.sh <build folder>
set -euo pipefail
# VIMBRA_PACKAGE_SCRATCH=1 installs into the scratch root even as root.
build=$(cd "$1" && pwd)
tests=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
chmod 755 "$work" # the ordinary user reaches the scratch root and home through it
here=$tests/e2e # for the end-to-end helpers: X, windows, the about box
source "$here/lib.sh"
installed_for_real=
cleanup() {
  e2e_cleanup
  if [ -n "$installed_for_real" ]; then dpkg --purge vimbra >/dev/null 2>&1 || true; fi
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
for tool in dpkg-deb dpkg-shlibdeps cpack appstreamcli desktop-file-validate setpriv man; do
  command -v "$tool" >/dev/null || fail "missing $tool"
done

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
out=$build/package
deb=$out/vimbra_${version}_${arch}.deb

# 1. The package, built once.
if [ -f "$deb" ] && [ -z "$(find "$build/app" "$build/icons" "$build/packaging" "$build/CPackConfig.cmake" ! -name Vimbra.INI \
                                 -newer "$deb" -print -quit)" ]; then
  echo "package: $deb (already built)"
else
  rm -f "$out"/vimbra_*.deb
  start=$SECONDS
  (cd "$build" && cpack -G DEB -B "$out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
  [ -f "$deb" ] || { ls "$out"; fail "no $(basename "$deb")"; }
  echo "package: $deb (built in $((SECONDS - start)) s)"
fi

# 2. What it holds: every path with its mode, owned by root.
dpkg-deb -c "$deb" >"$work/contents"
while read -r mode path; do
  line=$(grep -E " \./${path//./\\.}$" "$work/contents" || true)
  [ -n "$line" ] || fail "the package lacks /$path"
  [ "${line%% *}" = "$mode" ] || fail "/$path has mode ${line%% *}, not $mode"
done <<'EOF'
-rwxr-xr-x usr/lib/vimbra/Vimbra
-rw-r--r-- usr/lib/vimbra/Images/LargeRound.bmp
-rw-r--r-- usr/lib/vimbra/Images/SmallRound.bmp
-rw-r--r-- usr/lib/vimbra/Images/Mushka.bmp
-rw-r--r-- usr/lib/vimbra/Images/Planka.bmp
-rw-r--r-- usr/lib/vimbra/Sounds/BAR_01
-rw-r--r-- usr/lib/vimbra/instructions.txt
-rwxr-xr-x usr/bin/vimbra
-rw-r--r-- usr/share/applications/example.vimbra.Vimbra.desktop
-rw-r--r-- usr/share/metainfo/example.vimbra.Vimbra.metainfo.xml
-rw-r--r-- usr/share/icons/hicolor/32x32/apps/vimbra.png
-rw-r--r-- usr/share/icons/hicolor/64x64/apps/vimbra.png
-rw-r--r-- usr/share/icons/hicolor/128x128/apps/vimbra.png
-rw-r--r-- usr/share/icons/hicolor/scalable/apps/vimbra.svg
-rw-r--r-- usr/share/man/man6/vimbra.6.gz
-rw-r--r-- usr/share/doc/vimbra/copyright
-rw-r--r-- usr/share/doc/vimbra/changelog.gz
EOF
awk '$2 != "root/root" { print; bad = 1 } END { exit bad }' "$work/contents" || fail "files not owned by root"
awk '/^d/ && $1 != "drwxr-xr-x" { print; bad = 1 } END { exit bad }' "$work/contents" || fail "folders not drwxr-xr-x"
grep -v '^d' "$work/contents" |
  grep -vE ' \./usr/(bin|lib/vimbra|share/(applications|metainfo|icons/hicolor|man/man6|doc/vimbra))/' &&
  fail "files outside the places above"
grep -E '/usr/lib/vimbra/(Vimbra\.INI|vimbra\.png)$' "$work/contents" && fail "settings or icon in the program folder"

# The control fields; Depends holds what the executable links (found by
# dpkg-shlibdeps) and what it only loads at run time.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = vimbra ] || fail "package name $(field Package)"
[ "$(field Version)" = "$version" ] || fail "version $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "architecture $(field Architecture)"
[ -n "$(field Maintainer)" ] && [ -n "$(field Section)" ] || fail "no maintainer or section"
depends=$(field Depends)
echo "Depends: $depends"
for dep in libsdl2-mixer-2.0-0 libqt6sql6-sqlite fonts-liberation libqt6widgets6 libqt6sql6 libc6; do
  [[ ", $depends," == *", $dep"[\ ,]* ]] || fail "Depends lacks $dep"
done
[ "$(field Recommends)" = qt6-wayland ] || fail "Recommends: '$(field Recommends)', not qt6-wayland"

# 3. The files as the desktop reads them.
root=$work/extract
dpkg-deb -x "$deb" "$root"
entry=$root/usr/share/applications/example.vimbra.Vimbra.desktop
metainfo=$root/usr/share/metainfo/example.vimbra.Vimbra.metainfo.xml
echo "desktop-file-validate:"
desktop-file-validate "$entry" || fail "desktop-file-validate"
echo "appstreamcli validate --no-net:"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
appstreamcli validate-tree --no-net "$root" >"$work/tree.log" 2>&1 || { cat "$work/tree.log"; fail "appstreamcli validate-tree"; }
while read -r line; do
  grep -qxF "$line" "$entry" || fail "the desktop entry lacks $line"
done <<'EOF'
Exec=/usr/bin/vimbra
Icon=vimbra
Categories=Education;Sports;
StartupWMClass=Vimbra
EOF
/usr/bin/python3 - "$metainfo" "$version" <<'PY' || fail "the metadata"
import sys, xml.etree.ElementTree as ET
c = ET.parse(sys.argv[1]).getroot()
lang = "{http://www.w3.org/XML/1998/namespace}lang"
def langs(tag):
    return {e.get(lang, "en") for e in c.iter(tag) if e.text and e.text.strip()}
for tag in ("name", "summary", "p", "caption"):
    assert langs(tag) >= {"en", "ru"}, f"<{tag}> in {langs(tag)}"
assert c.findtext("id") == "example.vimbra.Vimbra"
assert c.findtext("launchable[@type='desktop-id']") == "example.vimbra.Vimbra.desktop"
assert c.findtext("project_license") == "GPL-3.0-or-later"
assert [e.text for e in c.iter("category")] == ["Education", "Sports"]
assert [r.get("version") for r in c.iter("release")][0] == sys.argv[2]
assert c.find("content_rating[@type='oars-1.1']") is not None
assert c.findtext("screenshots/screenshot/image").startswith("https://")
PY
/usr/bin/python3 "$tests/package/icons.py" "$root/usr/share/icons/hicolor" || fail "the icons"
zcat "$root/usr/share/man/man6/vimbra.6.gz" >"$work/vimbra.6"
LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$work/vimbra.6" 2>"$work/man.log" >"$work/man.txt" || true
[ ! -s "$work/man.log" ] || { cat "$work/man.log"; fail "the man page has warnings"; }
for section in NAME SYNOPSIS DESCRIPTION FILES 'SEE ALSO'; do
  grep -qx "$section" "$work/man.txt" || fail "the man page lacks $section"
done
grep -q 'Vimbra.INI' "$work/man.txt" && grep -q 'journal.sqlite' "$work/man.txt" || fail "the man page does not name the files"
copyright=$root/usr/share/doc/vimbra/copyright
head -n1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "the copyright file is not machine-readable"
grep -qx 'License: GPL-3.0-or-later' "$copyright" || fail "the copyright file names no licence"

# 4. Installed: for real when we may and the machine has no Vimbra of its own,
#    otherwise into a scratch root with a dpkg database of its own.
if [ "$(id -u)" = 0 ] && [ -z "${VIMBRA_PACKAGE_SCRATCH:-}" ] &&
   ! dpkg-query -W -f '${Status}\n' vimbra 2>/dev/null | grep -qx 'install ok installed'; then
  target=
  installed_for_real=yes
  echo "installing for real"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    -o DPkg::Lock::Timeout=120 "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get install"; }
else
  target=$work/root
  echo "installing into $target"
  mkdir -p "$target/var/lib/dpkg/updates" "$target/var/lib/dpkg/info"
  touch "$target/var/lib/dpkg/status"
  dpkg() { PATH=$PATH:/usr/sbin:/sbin command dpkg --root="$target" --force-depends --force-not-root --force-script-chrootless "$@"; }
  dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i"; }
  [ "$(id -u)" = 0 ] || chmod -R a-w "$target/usr/lib/vimbra" # as a system install is to a user
fi
[ "$(dpkg -s vimbra | sed -n 's/^Status: //p')" = "install ok installed" ] || fail "dpkg does not list vimbra as installed"
sed -n 's|^-[^ ]* [^ ]* *[0-9]* [^ ]* [^ ]* \./|/|p' "$work/contents" >"$work/files"
while read -r f; do [ -e "$target$f" ] || fail "$f was not installed"; done <"$work/files"

# 5. The installed program, started by an ordinary user through the launcher
#    under a private X server: it comes up, is closed as a window manager
#    would close it, and ends cleanly with its settings in the user's config
#    folder, never in the program folder.
start_x
user=()
if [ "$(id -u)" = 0 ]; then user=(setpriv --reuid=65534 --regid=65534 --clear-groups); fi
home=$work/home
mkdir -p "$home/runtime"
chmod 700 "$home/runtime"
[ "$(id -u)" != 0 ] || chown -R 65534:65534 "$home"
"${user[@]}" env -i PATH=/usr/bin:/bin HOME="$home" DISPLAY="$DISPLAY" XDG_RUNTIME_DIR="$home/runtime" \
  LANG=C.UTF-8 "$target/usr/bin/vimbra" >"$work/out.log" 2>&1 &
app_pid=$!
main=$(main_window) || { cat "$work/out.log"; fail "no main window"; }
sleep 0.5
xprop -id "$main" WM_CLASS | grep -q '"Vimbra"' || fail "WM_CLASS is not the entry's StartupWMClass: $(xprop -id "$main" WM_CLASS)"
# One shot at the gun (at 500, 300; double-click on the rear sight).
before=$(results "$main")
xdotool mousemove --window "$main" 500 380 click --repeat 2 --delay 60 1
sleep 0.6
[ "$before" != "$(results "$main")" ] || fail "the shot left no results"
close_program "$main"
# An error box (captioned "Vimbra") instead of the end: the settings could
# not be written ("Unable to write to ...").
for _ in $(seq 100); do
  kill -0 "$app_pid" 2>/dev/null || break
  if [ -n "$(xdotool search --onlyvisible --name '^Vimbra$' 2>/dev/null || true)" ]; then
    cat "$work/out.log"; fail "an error box at the end: the settings were not written"
  fi
  sleep 0.1
done
expect_clean_exit
settings=$home/.config/vimbra/Vimbra.INI
[ ! -e "$target/usr/lib/vimbra/Vimbra.INI" ] || fail "settings written into the program folder"
[ -f "$settings" ] || { find "$home" -ls; fail "no settings in the user's config folder"; }
grep -qx '\[Options\]' "$settings" || fail "the settings file has no [Options]: $(cat "$settings")"
[ "$(id -u)" != 0 ] || [ "$(stat -c %u "$settings")" = 65534 ] || fail "the settings file is not the user's"
echo "settings: ~/.config/vimbra/Vimbra.INI"

# 6. Removed (purged): nothing of the package is left, the user's files are.
[ -z "$target" ] || chmod -R u+w "$target/usr/lib/vimbra"
dpkg --purge vimbra >"$work/purge.log" 2>&1 || { cat "$work/purge.log"; fail "dpkg --purge"; }
installed_for_real=
while read -r f; do [ ! -e "$target$f" ] || fail "$f is left after removal"; done <"$work/files"
[ ! -e "$target/usr/lib/vimbra" ] || fail "/usr/lib/vimbra is left after removal"
! dpkg -s vimbra >/dev/null 2>&1 || fail "dpkg still lists vimbra"
[ -f "$settings" ] || fail "the removal took the user's settings"
echo "package passed"
