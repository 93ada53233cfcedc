#!/usr/bin/env bash
# Installs into a fresh prefix as a user would and checks what landed where,
# then starts the program through the launcher (and through a link to it).
set -euo pipefail
build_dir=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build_dir" --prefix "$prefix" >/dev/null
entry=share/applications/example.vimbra.Vimbra.desktop
for f in lib/vimbra/Vimbra lib/vimbra/Images/LargeRound.bmp lib/vimbra/Images/SmallRound.bmp \
         lib/vimbra/Images/Mushka.bmp lib/vimbra/Images/Planka.bmp lib/vimbra/Sounds/BAR_01 \
         lib/vimbra/instructions.txt bin/vimbra "$entry" \
         share/icons/hicolor/{32x32,64x64,128x128}/apps/vimbra.png share/icons/hicolor/scalable/apps/vimbra.svg \
         share/metainfo/example.vimbra.Vimbra.metainfo.xml share/man/man6/vimbra.6.gz \
         share/doc/vimbra/copyright; do
  [ -e "$prefix/$f" ] || { echo "missing $f"; exit 1; }
done
[ -x "$prefix/bin/vimbra" ] || { echo "the launcher cannot run"; exit 1; }
grep -qx "Exec=$prefix/bin/vimbra" "$prefix/$entry" ||
  { echo "the desktop entry does not name the launcher"; exit 1; }
grep -qx "Icon=vimbra" "$prefix/$entry"

# The program runs until it is closed: still running after a few seconds.
mkdir "$prefix/elsewhere"
ln -s "$prefix/bin/vimbra" "$prefix/elsewhere/vimbra-link"
for launcher in "$prefix/bin/vimbra" "$prefix/elsewhere/vimbra-link"; do
  status=0
  (cd "$prefix/elsewhere" && QT_QPA_PLATFORM=offscreen timeout 3 "$launcher") >/dev/null 2>&1 || status=$?
  [ "$status" = 124 ] || { echo "$launcher ended early with $status"; exit 1; }
done
echo "install passed"
