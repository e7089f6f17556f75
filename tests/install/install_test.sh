#!/bin/sh
# Installs Dorvanix under /usr in a scratch root as a user would: with `cmake --install` and
# DESTDIR (tree), or as the Debian package made by cpack and unpacked with dpkg -x (deb). Checks
# that every file is there, that the desktop entry and metainfo validate, that the manual pages and
# the bash completion name every command and option that --help names, that one version is given
# everywhere, and that the tool and the Python module (Debian's layout) work from the root.
# Arguments: tree|deb BUILD_DIR SOURCE_DIR VERSION BUILT_CLI PYTHON|none GUI(ON|OFF)
set -eu
mode=$1 build=$2 source=$3 version=$4 built_cli=$5 python=$6 gui=$7
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

if [ "$mode" = deb ]; then
    cpack -G DEB -B "$root/cpack" --config "$build/CPackConfig.cmake" >/dev/null
    deb=$root/cpack/dorvanix_${version}_$(dpkg --print-architecture).deb
    dpkg-deb -f "$deb" Depends | grep -q 'libstdc++6 (>=' || fail "no library dependencies"
    dpkg -x "$deb" "$root"
    file -L "$root/usr/bin/dorvanix-cli" | grep -q ', stripped' || fail "dorvanix-cli not stripped"
else
    DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
fi
usr=$root/usr app=org.dorvanix.Dorvanix site=$root/usr/lib/python3/dist-packages
cli=$usr/bin/dorvanix-cli completion=$usr/share/bash-completion/completions/dorvanix-cli
files="bin/dorvanix-cli share/man/man1/dorvanix-cli.1.gz share/doc/dorvanix/LICENSE"
[ "$gui" = ON ] && files="$files bin/dorvanix share/man/man1/dorvanix.1.gz
    share/applications/$app.desktop share/metainfo/$app.metainfo.xml
    share/icons/hicolor/scalable/apps/$app.svg share/icons/hicolor/48x48/apps/$app.png"
[ "$python" != none ] && files="$files lib/python3/dist-packages/dorvanix/__init__.pyi
    lib/python3/dist-packages/dorvanix/py.typed lib/python3/dist-packages/dorvanix/selftest.py"
# The manual, where scripts/docs.sh has built it (scripts/package.sh does, first).
[ -f "$source/build/docs/html/index.html" ] && files="$files share/doc/dorvanix/html/index.html"
for file in $files share/bash-completion/completions/dorvanix-cli; do
    [ -e "$usr/$file" ] || fail "$file not installed"
done

[ "$("$cli" --version)" = "dorvanix-cli $version" ] || fail "dorvanix-cli --version"
grep -qx "version: $version" "$source/CITATION.cff" || fail "CITATION.cff is not at $version"
grep -m1 '^## ' "$source/CHANGELOG.md" | grep -qF "## $version " || fail "CHANGELOG.md"
[ "$("$cli" fibers 3 2 3)" = "$("$built_cli" fibers 3 2 3)" ] || fail "installed tool differs"
# The smoke test: the installed tool re-derives the known tables.
"$cli" selftest >"$root/selftest" || fail "selftest: $(tail -n 2 "$root/selftest")"

# Every command and option that --help names is on the manual page and offered by the completion.
page() { gzip -dc "$usr/share/man/man1/$1.1.gz" | sed 's/\\-/-/g' >"$root/$1.1"; }
options() { "$@" --help | sed -n 's/^  \(-[a-z], *\)\{0,1\}\(--[a-z][a-z-]*\).*/\2/p'; }
offered() {
    bash -c '. "$1"; shift; for cur in "" -; do COMP_WORDS=("$@" "$cur"); COMP_CWORD=$#
        _dorvanix_cli; echo " ${COMPREPLY[*]} "; done' _ "$completion" dorvanix-cli "$@"
}
page dorvanix-cli
commands=$("$cli" --help | sed -n '/^Subcommands:/,/^$/s/^  \([a-z-]*\) .*/\1/p')
for command in "" $commands; do
    choices=$(offered $command)
    for word in $([ -z "$command" ] && echo $commands) $(options "$cli" $command); do
        grep -qF -- "$word" "$root/dorvanix-cli.1" || fail "dorvanix-cli.1 lacks $command $word"
        case $choices in *" $word "*) ;; *) fail "completion lacks $command $word" ;; esac
    done
done

if [ "$gui" = ON ]; then
    [ "$("$usr/bin/dorvanix" --version)" = "dorvanix $version" ] || fail "dorvanix --version"
    page dorvanix
    for word in $(options "$usr/bin/dorvanix"); do
        grep -qF -- "$word" "$root/dorvanix.1" || fail "dorvanix.1 lacks $word"
    done
    desktop-file-validate "$usr/share/applications/$app.desktop" || fail "desktop entry"
    appstreamcli validate --no-net "$usr/share/metainfo/$app.metainfo.xml" >"$root/log" ||
        fail "metainfo: $(cat "$root/log")"
    grep -q "release version=\"$version\"" "$usr/share/metainfo/$app.metainfo.xml" ||
        fail "metainfo release"
fi

if [ "$python" != none ]; then
    found=$(cd "$root" && PYTHONPATH=$site "$python" -c \
        'import dorvanix; print(dorvanix.__version__, dorvanix.__file__.startswith("'"$site"'/"))')
    [ "$found" = "$version True" ] || fail "python module: $found"
    (cd "$root" && PYTHONPATH=$site "$python" -m dorvanix.selftest >"$root/selftest") ||
        fail "python -m dorvanix.selftest: $(tail -n 2 "$root/selftest")"
fi
echo "installed as $mode: every file in place, one version ($version)"
