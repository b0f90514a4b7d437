# Checks shared by the packaging tests; sourced, not run. Each check prints what it found wrong
# and answers non-zero; `fail` ends the test.

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The files under PREFIX_DIR (relative, sorted) must be exactly those of installed_files.txt.
check_file_list() {
    local found="$1" expected
    expected="$(grep -v '^#' "$(dirname "${BASH_SOURCE[0]}")/installed_files.txt" | sort)"
    if [ "$found" != "$expected" ]; then
        echo "installed files differ from installed_files.txt (< expected, > found):" >&2
        diff <(echo "$expected") <(echo "$found") >&2
        return 1
    fi
}

# The programs under BIN_DIR answer --version with the project version and --help with their
# usage, without a display: no X, Wayland or Qt platform is named in their environment.
check_programs() {
    local bin="$1" version="$2" out
    local run=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
    out="$("${run[@]}" "$bin/rovena" --version)" || fail "rovena --version failed"
    [ "$out" = "rovena $version" ] || fail "rovena --version printed '$out', not 'rovena $version'"
    out="$("${run[@]}" "$bin/cdstool" --version)" || fail "cdstool --version failed"
    [ "$out" = "cdstool $version" ] || fail "cdstool --version printed '$out', not 'cdstool $version'"

    out="$("${run[@]}" "$bin/rovena" --help)" || fail "rovena --help failed"
    grep -q '^Usage: rovena ' <<<"$out" || fail "rovena --help shows no usage: $out"
    out="$("${run[@]}" "$bin/cdstool" --help)" || fail "cdstool --help failed"
    for command in dump convert check import export; do
        grep -q "^  $command " <<<"$out" || fail "cdstool --help does not list $command: $out"
        "${run[@]}" "$bin/cdstool" "$command" --help | grep -q "^Usage: cdstool $command " ||
            fail "cdstool $command --help shows no usage"
    done
}
