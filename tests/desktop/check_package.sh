#!/bin/bash
# Builds the Debian package from a build folder and checks it without installing it: unpacked
# into a scratch root, its file list, desktop entry, metainfo and computed dependencies are
# checked, and its "kelvo" command is started from there under a virtual display.
# Usage: check_package.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source_dir=$2
scratch=$(mktemp -d "${TMPDIR:-/tmp}/kelvo-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log" >&2
    fail "cpack could not build the package"
fi
debs=("$scratch"/out/*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then fail "expected one .deb, found: ${debs[*]}"; fi
deb=${debs[0]}
root=$scratch/root
dpkg-deb -x "$deb" "$root"

echo "Package: $(basename "$deb"), $(stat -c %s "$deb") bytes, installed size $(dpkg-deb -f "$deb" Installed-Size) KiB"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
echo "Recommends: $(dpkg-deb -f "$deb" Recommends)"

expected="./usr/bin/kelvo
./usr/bin/kelvo-render
./usr/libexec/kelvo/kelvo
./usr/share/applications/org.kelvo.Kelvo.desktop
./usr/share/doc/kelvo/copyright
./usr/share/icons/hicolor/128x128/apps/org.kelvo.Kelvo.png
./usr/share/icons/hicolor/16x16/apps/org.kelvo.Kelvo.png
./usr/share/icons/hicolor/24x24/apps/org.kelvo.Kelvo.png
./usr/share/icons/hicolor/256x256/apps/org.kelvo.Kelvo.png
./usr/share/icons/hicolor/32x32/apps/org.kelvo.Kelvo.png
./usr/share/icons/hicolor/48x48/apps/org.kelvo.Kelvo.png
./usr/share/icons/hicolor/64x64/apps/org.kelvo.Kelvo.png
./usr/share/icons/hicolor/scalable/apps/org.kelvo.Kelvo.svg
./usr/share/kelvo/P0
./usr/share/kelvo/P1
./usr/share/kelvo/P2
./usr/share/kelvo/P3
./usr/share/kelvo/P4
./usr/share/kelvo/P5
./usr/share/kelvo/P6
./usr/share/kelvo/P7
./usr/share/kelvo/P8
./usr/share/kelvo/P9
./usr/share/kelvo/help.htm
./usr/share/man/man1/kelvo-render.1.gz
./usr/share/metainfo/org.kelvo.Kelvo.metainfo.xml"
actual=$(cd "$root" && find . -type f -o -type l | LC_ALL=C sort)
if [ "$actual" != "$(LC_ALL=C sort <<<"$expected")" ]; then
    diff <(LC_ALL=C sort <<<"$expected") <(echo "$actual") >&2 || true
    fail "the package's files differ from the list (< expected, > packaged)"
fi
for program in usr/bin/kelvo usr/bin/kelvo-render usr/libexec/kelvo/kelvo; do
    [ -x "$root/$program" ] || fail "$program is not executable"
done

entry=$root/usr/share/applications/org.kelvo.Kelvo.desktop
report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $report"
if grep -Eq 'error|warning' <<<"$report"; then fail "desktop-file-validate: $report"; fi
grep -qx 'Exec=kelvo' "$entry" || fail "the desktop entry does not start the kelvo command"
grep -qx 'Categories=Education;HamRadio;' "$entry" || fail "the desktop entry's categories"
icon=$(sed -n 's/^Icon=//p' "$entry")
[ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no icon named $icon"
for size in 16 24 32 48 64 128 256; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png
    file -b "$png" | grep -q "PNG image data, $size x $size," || fail "$png is not a $size x $size PNG"
done

metainfo=$root/usr/share/metainfo/org.kelvo.Kelvo.metainfo.xml
appstreamcli validate --no-net "$metainfo" >"$scratch/appstream.log" 2>&1 || {
    cat "$scratch/appstream.log" >&2
    fail "appstreamcli validate"
}
grep -q '<launchable type="desktop-id">org.kelvo.Kelvo.desktop</launchable>' "$metainfo" ||
    fail "the metainfo does not name the desktop entry"
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$metainfo" || fail "the metainfo's licence"
grep -q 'License: GPL-3+' "$root/usr/share/doc/kelvo/copyright" || fail "the copyright file's licence"

# Every library the programs link must come from a package the .deb depends on.
depends_names=$(sed 's/ *([^)]*)//g; s/ *[,|] */\n/g' <<<"$depends")
for program in usr/bin/kelvo-render usr/libexec/kelvo/kelvo; do
    resolved=$(ldd "$root/$program")
    for soname in $(readelf -d "$root/$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
        path=$(awk -v so="$soname" '$1 == so && $2 == "=>" { print $3; exit }' <<<"$resolved")
        [ -n "$path" ] || fail "$program needs $soname, which is not on this machine"
        owner=$(dpkg -S "$(readlink -f "$path")" 2>/dev/null || dpkg -S "$path") || fail "no package owns $path"
        owner=${owner%%:*}
        grep -qxF "$owner" <<<"$depends_names" || fail "$program needs $soname from $owner, not in Depends: $depends"
    done
done

/usr/bin/python3 "$source_dir/tests/desktop/check_installed_start.py" "$root"
