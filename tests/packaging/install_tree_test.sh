#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks the installed tree: every file there
# and nothing else, the icons at their sizes, the launcher, metainfo and MIME files accepted by
# their validators, the station-file types recognised from content written by the installed
# cdstool, and the installed programs' --version and --help.
#
#   install_tree_test.sh BUILD_DIR PROJECT_VERSION
set -euo pipefail
build="$1"
version="$2"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/checks.sh"

scratch="$(mktemp -d "${TMPDIR:-/tmp}/rovena-install-test.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
root="$scratch/root"
prefix="$root/usr"

DESTDIR="$root" cmake --install "$build" --prefix /usr >"$scratch/install.log" ||
    { cat "$scratch/install.log" >&2; fail "cmake --install failed"; }

check_file_list "$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort)" ||
    fail "the installed tree is not as listed"

for size in 16 32 48 64 128 256; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/rovena.png"
    file -b "$png" | grep -q "^PNG image data, $size x $size," ||
        fail "$png is not a $size x $size PNG: $(file -b "$png")"
done
xmllint --noout "$prefix/share/icons/hicolor/scalable/apps/rovena.svg" ||
    fail "the SVG icon is not well-formed"

# The launcher.
desktop="$prefix/share/applications/rovena.desktop"
# Some errors ("will be fatal in the future") still exit 0: any error or warning fails here;
# hints do not.
validation="$(desktop-file-validate "$desktop" 2>&1)" ||
    fail "desktop-file-validate rejects rovena.desktop: $validation"
! grep -qE ': (error|warning):' <<<"$validation" ||
    fail "desktop-file-validate finds fault with rovena.desktop: $validation"
key() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(key Exec)" = "rovena %F" ] || fail "Exec is '$(key Exec)'"
[ -x "$prefix/bin/$(key Exec | cut -d' ' -f1)" ] || fail "the launcher's command is not installed"
[ -f "$prefix/share/icons/hicolor/scalable/apps/$(key Icon).svg" ] ||
    fail "the launcher's icon '$(key Icon)' is not installed"

# The metainfo names the installed launcher and passes the validator (warnings fail it too).
metainfo="$prefix/share/metainfo/example.rovena.Rovena.metainfo.xml"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects the metainfo"
grep -q '<launchable type="desktop-id">rovena.desktop</launchable>' "$metainfo" ||
    fail "the metainfo does not launch rovena.desktop"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo's release is not $version"

# The MIME package: well-formed, accepted by update-mime-database without a complaint (it
# reports errors on stderr but still exits 0), and every type it declares opens with the
# launcher.
mime_package="$prefix/share/mime/packages/rovena.xml"
xmllint --noout "$mime_package" || fail "the MIME package is not well-formed"
update-mime-database "$prefix/share/mime" >/dev/null 2>"$scratch/mime.log" ||
    { cat "$scratch/mime.log" >&2; fail "update-mime-database failed"; }
if grep -qiE 'error|warning' "$scratch/mime.log"; then
    cat "$scratch/mime.log" >&2
    fail "update-mime-database complains about the MIME package"
fi
opened=";$(key MimeType)"
for type in $(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$mime_package"); do
    [[ "$opened" == *";$type;"* ]] || fail "the launcher does not open $type"
done

# Station files written by the installed cdstool are recognised by the database built above:
# by name and, for a file named otherwise, by content (the packet's magic at offset 0, the XML
# form's root element); other content is not taken for a station file.
cd "$scratch"
cat >input.xml <<'XML'
<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<DATAPACKET Version="2.0"><METADATA><FIELDS><FIELD attrname="Name" fieldtype="string" WIDTH="20"/><FIELD attrname="Address" fieldtype="string" WIDTH="100"/></FIELDS><PARAMS/></METADATA><ROWDATA><ROW Name="Test FM" Address="http://radio.example/live"/></ROWDATA></DATAPACKET>
XML
"$prefix/bin/cdstool" convert input.xml stations.cds >/dev/null || fail "cdstool convert to binary failed"
"$prefix/bin/cdstool" convert input.xml stations.xml >/dev/null || fail "cdstool convert to XML failed"
cp stations.cds binary-stations
cp stations.xml xml-stations
printf 'not a station file\n' >note.cds.txt
head -c 64 /dev/zero >zeros
content_type() {
    XDG_DATA_HOME="$scratch/no-user-data" XDG_DATA_DIRS="$prefix/share:/usr/share" \
        gio info -a standard::content-type "$1" 2>/dev/null |
        sed -n 's/^ *standard::content-type: //p'
}
while read -r file expected; do
    got="$(content_type "$file")"
    [ "$got" = "$expected" ] || fail "$file is taken for '$got', not $expected"
done <<'CASES'
stations.cds application/x-rovena-stations
binary-stations application/x-rovena-stations
xml-stations application/x-rovena-stations+xml
note.cds.txt text/plain
zeros application/octet-stream
CASES

check_programs "$prefix/bin" "$version"
echo "installed tree OK"
