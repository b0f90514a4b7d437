#!/usr/bin/env bash
# Builds the Debian package with CPack from the build's install rules and checks it: its name,
# version and dependencies, that it holds exactly the installed files under /usr, and that the
# programs it carries answer --version with the project version.
#
#   debian_package_test.sh BUILD_DIR PROJECT_VERSION
set -euo pipefail
build="$1"
version="$2"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/checks.sh"

scratch="$(mktemp -d "${TMPDIR:-/tmp}/rovena-deb-test.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log" >&2; fail "cpack failed"; }
deb="$scratch/rovena_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls "$scratch" >&2; fail "no package named $(basename "$deb")"; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = rovena ] || fail "package name is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "package version is '$(field Version)'"
depends="$(field Depends)"
# Found by dpkg-shlibdeps in the binaries, and the two named in the package's rules.
for package in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 fonts-noto-cjk qt6-translations-l10n; do
    [[ ", $depends," == *", $package"[\ ,]* ]] || fail "Depends lacks $package: $depends"
done

listing="$(dpkg-deb -c "$deb")"
echo "$listing"
check_file_list "$(awk '$1 !~ /^d/ {print $6}' <<<"$listing" | sed -n 's|^\./usr/||p' | sort)" ||
    fail "the package's files are not as listed"
if awk '$1 !~ /^d/ {print $6}' <<<"$listing" | grep -v '^\./usr/'; then
    fail "the package holds files outside /usr"
fi

dpkg-deb -x "$deb" "$scratch/unpacked"
check_programs "$scratch/unpacked/usr/bin" "$version"
echo "Debian package OK: $(basename "$deb")"
